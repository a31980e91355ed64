// Tailoring the style to the fitted sensor and deriving the factory set, as a
// host sees them: the tailored text, the factory records, the calls the
// processor received and the lines on standard output.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <tinyxml.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/CameraDisk.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"
#include "sensor/StyleDocument.h"
#include "sensor/sensor.h"
#include "support/SensorDebug.h"

namespace {

typedef std::vector<int32_t> Words;

const std::string kRed = "\033[0m\033[31m";
const std::string kReset = "\033[0m";

std::string failed(const std::string& condition) {
    return condition + "   ~~~Assertion failed.\n";
}

// Setting 300 is a three-way choice, 301 a slider, 302 another choice.
const char kChoices[] =
    "<Style><Tab key='a'>"
    "<Item id='300' value='1'><Option index='0'/><Option index='1'/><Option index='2'/></Item>"
    "<Item id='301' value='5'/></Tab><Tab key='b'>"
    "<Item id='302' value='0'><Option index='0'/><Option index='1'/><Option index='2'/></Item>"
    "</Tab></Style>";

void walk(TiXmlElement* element, std::vector<TiXmlElement*>& out) {
    for (; element; element = element->NextSiblingElement()) {
        out.push_back(element);
        walk(element->FirstChildElement(), out);
    }
}

// A parsed style, queried the way a user-interface would read it.
class Doc {
  public:
    explicit Doc(const std::string& text) { m_objDoc.Parse(text.c_str()); }
    TiXmlElement* root() { return m_objDoc.RootElement(); }
    std::vector<TiXmlElement*> withId(int id) {
        std::vector<TiXmlElement*> all, matches;
        walk(root(), all);
        for (TiXmlElement* e : all) {
            if (e->Attribute("id") && atoi(e->Attribute("id")) == id) {
                matches.push_back(e);
            }
        }
        return matches;
    }
    TiXmlElement* only(int id) {
        std::vector<TiXmlElement*> matches = withId(id);
        EXPECT_EQ(1u, matches.size()) << "id " << id;
        return matches.empty() ? nullptr : matches[0];
    }

  private:
    TiXmlDocument m_objDoc;
};

std::string attr(const TiXmlElement* e, const char* name) {
    return e && e->Attribute(name) ? e->Attribute(name) : "<none>";
}

Words choicesOf(const TiXmlElement* e) {
    Words indexes;
    for (const TiXmlElement* c = e ? e->FirstChildElement() : nullptr; c;
         c = c->NextSiblingElement()) {
        indexes.push_back(c->Attribute("index") ? atoi(c->Attribute("index")) : -1);
    }
    return indexes;
}

std::string printedStyle(const char* text) {
    StyleDocument doc;
    doc.LoadMem(text, TIXML_ENCODING_UTF8);
    std::string printed;
    doc.getXmlString(printed);
    return printed;
}

// "channel:command/option" of every processor call so far.
std::vector<std::string> callLog() {
    std::vector<std::string> log;
    for (const iasim::Call& c : iasim::calls()) {
        log.push_back(std::to_string(c.ch) + ":" + std::to_string(c.cmd) + "/" +
                      std::to_string(c.opt));
    }
    return log;
}

std::vector<std::pair<u32, int32_t>> pairsOf(const KeyVal* records, u32 count) {
    std::vector<std::pair<u32, int32_t>> pairs;
    for (u32 i = 0; i < count; ++i) {
        pairs.emplace_back(records[i].key, records[i].value);
    }
    return pairs;
}

class DynamicStyleTest : public CameraDisk {
  protected:
    void SetUp() override {
        CameraDisk::SetUp();
        m_bBeaway = g_bShoWBeawayFalg;
        g_bShoWBeawayFalg = false;
    }
    void TearDown() override {
        g_bShoWBeawayFalg = m_bBeaway;
        CameraDisk::TearDown();
    }

    // The tailored text; standard output of the call lands in m_strOut.
    std::string tailor(const std::string& style, bool showWdr = false, int camera = 1) {
        std::string out;
        testing::internal::CaptureStdout();
        EXPECT_EQ(SNS_SUCCESS, getDnaStyle(camera, style.c_str(), out, showWdr));
        m_strOut = testing::internal::GetCapturedStdout();
        return out;
    }
    std::vector<std::pair<u32, int32_t>> factory(std::string style, int camera = 1) {
        KeyVal records[FACTORY_KEYVAL_CAPACITY];
        u32 count = 0;
        EXPECT_EQ(SNS_SUCCESS, getFctData(camera, &style[0], records, &count, false));
        return pairsOf(records, count);
    }

    bool m_bBeaway = true;
    std::string m_strOut;
};

}  // namespace

// How the processor's answers shape the tailored kChoices style.
struct Range {
    int32_t cmd;
    int32_t defaultVal;
    Words items;
};

struct AnswerCase {
    const char* name;
    int camera;
    Words dynamic;  // the list on the camera's channel
    std::vector<Range> ranges;
    int32_t failing;  // 4112: the list query fails; else that setting's range query
    const char* calls;
    const char* report;  // the failed condition on standard output, or ""
    const char* settings;
};

class ProcessorAnswerTest : public DynamicStyleTest,
                            public ::testing::WithParamInterface<AnswerCase> {};

// "id=value[choices]" of the settings 300 and 302.
std::string settingsOf(Doc& doc) {
    std::string text;
    for (int id : {300, 302}) {
        text += (text.empty() ? "" : " ") + std::to_string(id) + "=" + attr(doc.only(id), "value");
        std::string sep = "[";
        for (int32_t index : choicesOf(doc.only(id))) {
            text += sep + std::to_string(index);
            sep = ",";
        }
        text += "]";
    }
    return text;
}

TEST_P(ProcessorAnswerTest, TailorsWhatTheProcessorAnswered) {
    const AnswerCase& c = GetParam();
    const int ch = c.camera - 1;
    iasim::setDynamicCommands(0, {301});  // camera 1's list, a decoy for the others
    iasim::setDynamicCommands(ch, c.dynamic);
    for (const Range& r : c.ranges) {
        iasim::setParamRange(ch, r.cmd, 0, r.defaultVal, r.items);
    }
    if (c.failing == IA_CMD_DYNAMIC_PARAMS_CMDS_GET) {
        iasim::failCommand(ch, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -5);
    } else if (c.failing) {
        iasim::failCommand(ch, c.failing, -7, IA_CMD_OPT_GET_PARAM_RNAGE);
    }
    Doc doc(tailor(kChoices, false, c.camera));
    std::string calls;
    for (const std::string& call : callLog()) {
        calls += (calls.empty() ? "" : " ") + call;
    }
    EXPECT_EQ(c.calls, calls);
    EXPECT_EQ(c.settings, settingsOf(doc));
    EXPECT_EQ("5", attr(doc.only(301), "value"));
    if (*c.report) {
        EXPECT_NE(std::string::npos, m_strOut.find(failed(c.report))) << m_strOut;
    } else {
        EXPECT_EQ("", m_strOut);
    }
}

const char kListFailed[] =
    "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
    "(void*)(&dnaCmdList))";
const char kRangeFailed[] =
    "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
    "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))";
const char kUntouched[] = "300=1[0,1,2] 302=0[0,1,2]";

AnswerCase answer(const char* name, int camera, Words dynamic, std::vector<Range> ranges,
                  int32_t failing, const char* calls, const char* report, const char* settings) {
    return AnswerCase{name, camera, dynamic, ranges, failing, calls, report, settings};
}

// In "FailedRangeQuery" 302 answers first: a stale record would hand its range to 300.
INSTANTIATE_TEST_SUITE_P(
    DynamicStyle, ProcessorAnswerTest,
    ::testing::Values(answer("NoDynamicCommands", 2, {}, {}, 0, "1:4112/1", "", kUntouched),
                      answer("AcceptedChoicesAndDefault", 1, {300}, {{300, 2, {0, 2}}}, 0,
                             "0:4112/1 0:300/2", "", "300=2[0,2] 302=0[0,1,2]"),
                      answer("OnTheCamerasChannel", 3, {300, 302}, {{300, 2, {2}}, {302, 1, {1}}},
                             0, "2:4112/1 2:300/2 2:302/2", "", "300=2[2] 302=1[1]"),
                      answer("UnreadableCommandList", 1, {300}, {{300, 2, {2}}}, 4112, "0:4112/1",
                             kListFailed, kUntouched),
                      answer("FailedRangeQuery", 1, {302, 300}, {{302, 2, {0, 2}}, {300, 0, {0}}},
                             300, "0:4112/1 0:302/2 0:300/2", kRangeFailed,
                             "300=1[0,1,2] 302=2[0,2]")),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

struct DefaultCase {
    int cmd;
    int styleValue;
    Words items;
    int processorDefault;
    int expected;
    int printedItems;  // item lines printed; -1: not even the count line
};

class StyleDefaultTest : public DynamicStyleTest,
                         public ::testing::WithParamInterface<DefaultCase> {};

TEST_P(StyleDefaultTest, ShutterAndNearLimitKeepAnAcceptedStyleDefault) {
    const DefaultCase& c = GetParam();
    std::string style = "<Style><Tab key='t'><Item id='" + std::to_string(c.cmd) + "' value='" +
                        std::to_string(c.styleValue) + "'/></Tab></Style>";
    // A first command without a setting puts the interesting one at position 1.
    iasim::setDynamicCommands(0, {900, c.cmd});
    iasim::setParamRange(0, 900, 0, 1, {1});
    iasim::setParamRange(0, c.cmd, 0, c.processorDefault, c.items);
    Doc doc(tailor(style));
    EXPECT_EQ(std::to_string(c.expected), attr(doc.only(c.cmd), "value"));
    std::string printed;
    if (c.printedItems >= 0) {
        printed = "dnaCmdList.cmd_list[1] = dnaParamList.items_cnt(" +
                  std::to_string(c.items.size()) + ")\n";
    }
    for (int j = 0; j < c.printedItems; ++j) {
        printed += " dnaParamList.item[" + std::to_string(j) + "] = " + std::to_string(c.items[j]) +
                   " nVal = " + std::to_string(c.styleValue) + " \n";
    }
    EXPECT_EQ(printed, m_strOut);
}

INSTANTIATE_TEST_SUITE_P(DynamicStyle, StyleDefaultTest,
                         ::testing::Values(DefaultCase{49, 8, {6, 8, 10}, 10, 8, 2},
                                           DefaultCase{49, 8, {6, 10}, 10, 10, 2},
                                           DefaultCase{49, 100, {8, 100}, 10, 10, -1},
                                           DefaultCase{50, 12, {12, 14}, 14, 12, 1},
                                           DefaultCase{1537, 3, {1, 3}, 1, 3, 2},
                                           DefaultCase{82, 512, {512, 614}, 614, 614, -1}));

struct RepeatedIdCase {
    const char* name;
    const char* style;
    std::vector<std::string> tailored;  // "value[choices]" of each element with id 300
    std::vector<std::pair<u32, int32_t>> factory;
};

class RepeatedIdTest : public DynamicStyleTest,
                       public ::testing::WithParamInterface<RepeatedIdCase> {};

TEST_P(RepeatedIdTest, EveryMatchOutsideAMatchIsTailoredAndEveryOneIsListed) {
    iasim::setDynamicCommands(0, {300});
    iasim::setParamRange(0, 300, 0, 2, {0, 2});
    Doc doc(tailor(GetParam().style));
    std::vector<std::string> tailored;
    for (TiXmlElement* e : doc.withId(300)) {
        std::string text = attr(e, "value") + "[";
        for (int32_t index : choicesOf(e)) {
            text += std::to_string(index) + ";";
        }
        tailored.push_back(text + "]");
    }
    EXPECT_EQ(GetParam().tailored, tailored);
    EXPECT_EQ(GetParam().factory, factory(GetParam().style));
}

// The nested element carries an index, so that it is a choice its parent keeps.
INSTANTIATE_TEST_SUITE_P(
    DynamicStyle, RepeatedIdTest,
    ::testing::Values(
        RepeatedIdCase{"InTwoTabs",
                       "<S><T><I id='300' value='1'><O index='0'/><O index='1'/></I></T><T>"
                       "<I id='300' value='1'><O index='1'/><O index='2'/></I></T></S>",
                       {"2[0;]", "2[2;]"},
                       {{300, 2}, {300, 2}}},
        RepeatedIdCase{"NestedInAMatch",
                       "<S><T><I id='300' value='1'><O index='0'/><I id='300' value='1' "
                       "index='2'><O index='1'/></I></I></T></S>",
                       {"2[0;2;]", "1[1;]"},
                       {{300, 2}, {300, 1}}}),
    [](const ::testing::TestParamInfo<RepeatedIdCase>& info) {
        return std::string(info.param.name);
    });

struct PlaceholderCase {
    bool showWdr;
    bool beaway;
    std::vector<std::string> remaining10;  // labels of the id-10 elements left
    size_t remaining11;
};

class PlaceholderTest : public DynamicStyleTest,
                        public ::testing::WithParamInterface<PlaceholderCase> {};

TEST_P(PlaceholderTest, FlagsRemoveTheLastPlaceholderOnly) {
    g_bShoWBeawayFalg = GetParam().beaway;
    Doc doc(tailor(
        "<Style><Tab key='a'><Item id='10' value='0' label='first'/><Item id='11' value='0'/>"
        "</Tab><Tab key='b'><Item id='10' value='0' label='last'/></Tab></Style>",
        GetParam().showWdr));
    std::vector<std::string> labels;
    for (TiXmlElement* e : doc.withId(10)) {
        labels.push_back(attr(e, "label"));
    }
    EXPECT_EQ(GetParam().remaining10, labels);
    EXPECT_EQ(GetParam().remaining11, doc.withId(11).size());
}

INSTANTIATE_TEST_SUITE_P(DynamicStyle, PlaceholderTest,
                         ::testing::Values(PlaceholderCase{false, false, {"first", "last"}, 1},
                                           PlaceholderCase{true, false, {"first"}, 1},
                                           PlaceholderCase{false, true, {"first", "last"}, 0},
                                           PlaceholderCase{true, true, {"first"}, 0}));

TEST_F(DynamicStyleTest, RootPlaceholderIsNeverDeleted) {
    g_bShoWBeawayFalg = true;
    EXPECT_EQ(printedStyle("<Item id='10' value='0'/>"),
              tailor("<Item id='10' value='0'><Item id='11' value='0'/></Item>", true));
}

TEST_F(DynamicStyleTest, ChoiceWithoutIndexStopsOnlyItsCommandAndIsReported) {
    const char style[] =
        "<Style><Tab key='a'><Item id='300' value='1'><Option index='0'/><Option label='x'/>"
        "<Option index='1'/></Item>"
        "<Item id='302' value='0'><Option index='0'/><Option index='1'/><Option index='2'/>"
        "</Item></Tab></Style>";
    iasim::setDynamicCommands(0, {300, 302});
    iasim::setParamRange(0, 300, 0, 5, {7});
    iasim::setParamRange(0, 302, 0, 2, {0, 2});
    Doc doc(tailor(style));
    EXPECT_EQ("5", attr(doc.only(300), "value"));
    EXPECT_EQ((Words{-1, 1}), choicesOf(doc.only(300))) << "choices before the bad one are done";
    EXPECT_EQ("2", attr(doc.only(302), "value"));
    EXPECT_EQ((Words{0, 2}), choicesOf(doc.only(302)));
    EXPECT_NE(std::string::npos,
              m_strOut.find(failed("SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), "
                                   "dnaCmdList.cmd_list[i], &dnaParamList)")));

    Doc direct(style);
    ia_dynamic_params_attr_st range;
    memset(&range, 0, sizeof(range));
    EXPECT_EQ(-1, doDnaStyle(direct.root(), 300, &range));
    EXPECT_EQ(0, doDnaStyle(direct.root(), 302, &range));
    EXPECT_EQ(0, doDnaStyle(nullptr, 300, &range));
}

TEST_F(DynamicStyleTest, OnlySixteenDynamicCommandsAreQueried) {
    std::string style = "<Style><Tab key='t'>";
    Words cmds;
    for (int32_t cmd = 1001; cmd <= 1020; ++cmd) {
        cmds.push_back(cmd);
        iasim::setParamRange(0, cmd, 0, cmd - 1000, {});
        style += "<Item id='" + std::to_string(cmd) + "' value='0'/>";
    }
    iasim::setDynamicCommands(0, cmds);
    Doc doc(tailor(style + "</Tab></Style>"));
    std::vector<std::string> expectedCalls = {"0:4112/1"};
    for (int32_t cmd = 1001; cmd <= 1020; ++cmd) {
        if (cmd <= 1016) {
            expectedCalls.push_back("0:" + std::to_string(cmd) + "/2");
        }
        EXPECT_EQ(cmd <= 1016 ? std::to_string(cmd - 1000) : "0", attr(doc.only(cmd), "value"));
    }
    EXPECT_EQ(expectedCalls, callLog());
}

TEST_F(DynamicStyleTest, OnlySixtyFourItemsAreConsidered) {
    std::string style = "<Style><Tab key='t'><Item id='300' value='0'>";
    Words items;
    for (int32_t v = 0; v < 70; ++v) {
        items.push_back(v);
        style += "<Option index='" + std::to_string(v) + "'/>";
    }
    style += "</Item><Item id='49' value='65'><Option index='63'/><Option index='65'/></Item>";
    iasim::setDynamicCommands(0, {300, 49});
    iasim::setParamRange(0, 300, 0, 0, items);
    iasim::setParamRange(0, 49, 0, 7, items);
    Doc doc(tailor(style + "</Tab></Style>"));
    Words kept(items.begin(), items.begin() + 64);
    EXPECT_EQ(kept, choicesOf(doc.only(300)));
    EXPECT_EQ((Words{63}), choicesOf(doc.only(49)));
    EXPECT_EQ("7", attr(doc.only(49), "value")) << "65 lies past the record's room";
    size_t itemLines = 0;
    for (size_t at = 0; (at = m_strOut.find(" dnaParamList.item[", at)) != std::string::npos;
         ++at) {
        ++itemLines;
    }
    EXPECT_EQ(64u, itemLines);
}

struct SearchCase {
    const char* xml;
    int value;         // -77: left as it was
    const char* node;  // label of the node found; "untouched" when none
};

class TreeSearchTest : public DynamicStyleTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(TreeSearchTest, LastMatchInWalkOrderWins) {
    Doc doc(GetParam().xml);
    int value = -77;
    TiXmlElement sentinel("untouched");
    sentinel.SetAttribute("label", "untouched");
    TiXmlElement* node = &sentinel;
    EXPECT_EQ(0, getDnaValbyCmdId(doc.root(), 5, value));
    EXPECT_EQ(0, getNodebyCmdId(doc.root(), 5, node));
    EXPECT_EQ(GetParam().value, value);
    EXPECT_EQ(GetParam().node, attr(node, "label"));
}

INSTANTIATE_TEST_SUITE_P(
    DynamicStyle, TreeSearchTest,
    ::testing::Values(
        SearchCase{"<R><I id='5' value='1' label='a'/><T><I id='5' value='3' label='b'/></T></R>",
                   3, "b"},
        SearchCase{"<R><I id='5' value='1' label='a'><I id='5' value='9' label='in'/></I></R>", 1,
                   "a"},
        SearchCase{"<R><I id='5' value='1' label='a'/><I id='5' label='b'/></R>", 1, "b"},
        SearchCase{"<R id='5' value='4' label='root'><I id='5' value='1'/></R>", 4, "root"},
        SearchCase{"<R><I id='05' value='2' label='z'/></R>", 2, "z"},
        SearchCase{"<R><I id='6' value='1' label='a'/><I value='5'/></R>", -77, "untouched"}));

TEST_F(DynamicStyleTest, NullArgumentsAreRefusedOrIgnored) {
    Doc doc("<R><I id='5' value='1'/></R>");
    TiXmlElement* item = doc.root()->FirstChildElement();
    EXPECT_EQ(-1, DeleteNode(nullptr, item));
    EXPECT_EQ(-1, DeleteNode(doc.root(), nullptr));
    EXPECT_EQ(-1, DeleteNode(nullptr, nullptr));
    EXPECT_EQ(1u, doc.withId(5).size());
    int value = -77;
    EXPECT_EQ(0, getDnaValbyCmdId(nullptr, 5, value));
    EXPECT_EQ(-77, value);
    u32 count = 3;
    EXPECT_EQ(0, style2KeyVal(nullptr, nullptr, &count));
    EXPECT_EQ(3u, count);
}

struct ModifyCase {
    int id;
    const char* enableList;  // on every element with that id; nullptr: nothing changes
};

class ModifyNodeTest : public DynamicStyleTest, public ::testing::WithParamInterface<ModifyCase> {};

TEST_P(ModifyNodeTest, OnlyTheHighlightAndBacklightSwitchesGetAnEnableList) {
    Doc doc(
        "<S><T><I id='112' value='0'/><I id='128' value='0'/><I id='34' value='0'/></T>"
        "<T><I id='112' value='1'/></T></S>");
    EXPECT_EQ(0, ModifyNodebyCmdId(doc.root(), GetParam().id));
    std::vector<TiXmlElement*> all;
    walk(doc.root(), all);
    for (TiXmlElement* e : all) {
        bool target = GetParam().enableList && atoi(attr(e, "id").c_str()) == GetParam().id;
        EXPECT_EQ(target ? GetParam().enableList : "<none>", attr(e, "enable_list"))
            << "id " << attr(e, "id");
    }
}

INSTANTIATE_TEST_SUITE_P(DynamicStyle, ModifyNodeTest,
                         ::testing::Values(ModifyCase{112, "128"}, ModifyCase{128, "112"},
                                           ModifyCase{34, nullptr}));

TEST_F(DynamicStyleTest, FactoryFillStopsAtTheArraysRoomAndReportsIt) {
    std::string style = "<Style><Tab key='big'>";
    for (int i = 0; i < 200; ++i) {
        style += "<Item id='" + std::to_string(5000 + i) + "' value='" + std::to_string(i) + "'/>";
    }
    style += "</Tab></Style>";
    struct {
        KeyVal records[FACTORY_KEYVAL_CAPACITY];
        KeyVal guard;
    } room;
    memset(&room, 0xA5, sizeof(room));
    const KeyVal untouched = room.guard;
    u32 count = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SNS_SUCCESS, getFctData(1, &style[0], room.records, &count, false));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(150u, count);
    EXPECT_EQ(5149u, room.records[149].key);
    EXPECT_EQ(149, room.records[149].value);
    EXPECT_EQ(0, memcmp(&untouched, &room.guard, sizeof(KeyVal))) << "written past the array";
    EXPECT_NE(std::string::npos,
              out.find(failed("SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum)")));
    EXPECT_NE(std::string::npos, out.find(kRed + "p_pnKeyValNum(150)\n" + kReset));
}

TEST_F(DynamicStyleTest, Style2KeyValListsEveryIdValueElementWithinItsCapacity) {
    Doc doc(
        "<S id='1' value='10'><T id='2'><I id='3' value='30'/><I value='4'/></T>"
        "<I id='5' value='50'><O id='6' value='60'/></I></S>");
    using P = std::pair<u32, int32_t>;
    const std::vector<P> all = {P(1, 10), P(3, 30), P(5, 50), P(6, 60)};
    struct Case {
        u32 start, capacity;
        int result;
        u32 count;
    };
    for (const Case& c :
         {Case{0, 4, 0, 4}, Case{0, 3, -1, 3}, Case{1, 5, 0, 5}, Case{1, 3, -1, 3}}) {
        KeyVal records[6] = {};
        u32 count = c.start;
        EXPECT_EQ(c.result, style2KeyVal(doc.root(), records, &count, c.capacity));
        ASSERT_EQ(c.count, count);
        EXPECT_EQ(std::vector<P>(all.begin(), all.begin() + (c.count - c.start)),
                  pairsOf(records + c.start, c.count - c.start));
    }
}

struct FamilyCase {
    const char* family;
    int camera;
    int deviceType;
};

class SampleStyleTest : public DynamicStyleTest, public ::testing::WithParamInterface<FamilyCase> {
  protected:
    void SetUp() override {
        DynamicStyleTest::SetUp();
        seed(GetParam().family);
        MachineInfo info;
        ASSERT_TRUE(SystemInfoParser::parseMachineInfo(
            "/mnt/mtd/code/factory_setting/machineinfo.ini", info));
        std::vector<ModuleConfigure> modules;
        ASSERT_TRUE(ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml",
                                                 info.getHardwareModel(), info.getHardwareCode(),
                                                 modules));
        ModuleConfigure module;
        for (const ModuleConfigure& m : modules) {
            if (m.getModuleId() == GetParam().camera) {
                module = m;
            }
        }
        memset(&m_stConf, 0, sizeof(m_stConf));
        initSysConf(GetParam().camera, module, &m_stConf);
        ASSERT_EQ(GetParam().deviceType, m_stConf.nDeviceType);
        ASSERT_NE(nullptr, m_stConf.szUIStyle);
    }
    void TearDown() override {
        uinitSysConf(&m_stConf);
        DynamicStyleTest::TearDown();
    }
    SysConfig m_stConf;
};

TEST_P(SampleStyleTest, FactorySetStartsWithTheSchemeKeysInWalkOrder) {
    std::vector<std::pair<u32, int32_t>> records = factory(m_stConf.szUIStyle, GetParam().camera);
    EXPECT_GE(records.size(), 60u);
    EXPECT_LE(records.size(), 140u);
    ASSERT_GE(records.size(), 5u);
    for (u32 i = 0; i < 5; ++i) {
        EXPECT_EQ(8000 + i, records[i].first);
    }
    std::set<u32> keys;
    for (const auto& r : records) {
        EXPECT_TRUE(keys.insert(r.first).second) << "duplicate key " << r.first;
    }
    std::vector<TiXmlElement*> all;
    Doc tailored(tailor(m_stConf.szUIStyle, false, GetParam().camera));
    walk(tailored.root(), all);
    std::vector<std::pair<u32, int32_t>> walked;
    for (TiXmlElement* e : all) {
        if (e->Attribute("id") && e->Attribute("value")) {
            walked.emplace_back(atoi(e->Attribute("id")), atoi(e->Attribute("value")));
        }
    }
    EXPECT_EQ(walked, records);
}

TEST_P(SampleStyleTest, SensorRangesNarrowTheSampleChoices) {
    Doc before(m_stConf.szUIStyle);
    const int channel = GetParam().camera - 1;
    Words listed;
    for (int32_t cmd : {49, 50, 82, 1537}) {
        if (before.withId(cmd).empty()) {
            continue;
        }
        Words choices = choicesOf(before.only(cmd));
        ASSERT_GE(choices.size(), 3u) << "cmd " << cmd;
        listed.push_back(cmd);
        iasim::setParamRange(channel, cmd, 0, choices[1], {choices[0], choices[1], 99999});
    }
    ASSERT_GE(listed.size(), 2u);
    iasim::setDynamicCommands(channel, listed);
    Doc after(tailor(m_stConf.szUIStyle, false, GetParam().camera));
    for (int32_t cmd : listed) {
        Words was = choicesOf(before.only(cmd));
        EXPECT_EQ((Words{was[0], was[1]}), choicesOf(after.only(cmd))) << "cmd " << cmd;
        int value = atoi(attr(after.only(cmd), "value").c_str());
        EXPECT_TRUE(value == was[0] || value == was[1]) << "cmd " << cmd << " value " << value;
    }
}

INSTANTIATE_TEST_SUITE_P(DynamicStyle, SampleStyleTest,
                         ::testing::Values(FamilyCase{"box", 1, 1}, FamilyCase{"dome", 1, 4},
                                           FamilyCase{"thermal", 2, 13}),
                         [](const ::testing::TestParamInfo<FamilyCase>& info) {
                             return std::string(info.param.family);
                         });
