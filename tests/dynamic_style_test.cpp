// Tailoring the style to the fitted sensor and deriving the factory set, as a
// host sees them: the tailored text, the factory records, the calls the
// processor received and the lines on standard output.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <tinyxml.h>

#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/CameraDisk.h"
#include "fixtures/Reports.h"
#include "fixtures/SampleModule.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"
#include "sensor/sensor.h"
#include "support/SensorDebug.h"

namespace {

typedef std::vector<int32_t> Words;
typedef std::vector<std::pair<u32, int32_t>> Pairs;

std::string attr(const TiXmlElement* e, const char* name) {
    return e && e->Attribute(name) ? e->Attribute(name) : "<none>";
}

void walk(TiXmlElement* element, std::vector<TiXmlElement*>& out) {
    for (; element; element = element->NextSiblingElement()) {
        out.push_back(element);
        walk(element->FirstChildElement(), out);
    }
}

// A parsed style, queried the way a user-interface would read it.
struct Doc : TiXmlDocument {
    explicit Doc(const std::string& text) { Parse(text.c_str()); }
    // Every element in walk order; with an id, those of that id.
    std::vector<TiXmlElement*> all(int id = -1) {
        std::vector<TiXmlElement*> elements, matches;
        walk(RootElement(), elements);
        for (TiXmlElement* e : elements) {
            if (id < 0 || atoi(attr(e, "id").c_str()) == id) {
                matches.push_back(e);
            }
        }
        return matches;
    }
    TiXmlElement* only(int id) {
        std::vector<TiXmlElement*> matches = all(id);
        EXPECT_EQ(1u, matches.size()) << "id " << id;
        return matches.empty() ? nullptr : matches[0];
    }
};

// "value[index,index...]" of a setting and its choices.
std::string settingOf(const TiXmlElement* e) {
    std::string text = attr(e, "value") + "[";
    for (const TiXmlElement* c = e ? e->FirstChildElement() : nullptr; c;
         c = c->NextSiblingElement()) {
        text += attr(c, "index") + (c->NextSiblingElement() ? "," : "");
    }
    return text + "]";
}

// "channel:command/option" of every processor call so far.
std::string callLog() {
    std::string log;
    for (const iasim::Call& c : iasim::calls()) {
        log += (log.empty() ? "" : " ") + std::to_string(c.ch) + ":" + std::to_string(c.cmd) + "/" +
               std::to_string(c.opt);
    }
    return log;
}

Pairs pairsOf(const KeyVal* records, u32 count) {
    Pairs pairs;
    for (u32 i = 0; i < count; ++i) {
        pairs.emplace_back(records[i].key, records[i].value);
    }
    return pairs;
}

class DynamicStyleTest : public CameraDisk {
  protected:
    void SetUp() override {
        CameraDisk::SetUp();
        m_bBeaway = getshowBeawayFalg();
        setshowBeawayFalg(false);
    }
    void TearDown() override {
        setshowBeawayFalg(m_bBeaway);
        CameraDisk::TearDown();
    }

    // The tailored text; what the call printed lands in m_strOut.
    std::string tailor(const std::string& style, bool showWdr = false, int camera = 1) {
        std::string text;
        m_strOut = stdoutOf(
            [&] { EXPECT_EQ(SNS_SUCCESS, getDnaStyle(camera, style.c_str(), text, showWdr)); });
        return text;
    }
    Pairs factory(std::string style, int camera = 1) {
        KeyVal records[FACTORY_KEYVAL_CAPACITY];
        u32 count = 0;
        EXPECT_EQ(SNS_SUCCESS, getFctData(camera, &style[0], records, &count, false));
        return pairsOf(records, count);
    }

    bool m_bBeaway = false;
    std::string m_strOut;
};

// Setting 300 is a three-way choice, 301 a slider, 302 another choice.
const char kChoices[] =
    "<Style><Tab key='a'>"
    "<Item id='300' value='1'><Option index='0'/><Option index='1'/><Option index='2'/></Item>"
    "<Item id='301' value='5'/></Tab><Tab key='b'>"
    "<Item id='302' value='0'><Option index='0'/><Option index='1'/><Option index='2'/></Item>"
    "</Tab></Style>";
const char kListFailed[] =
    "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
    "(void*)(&dnaCmdList))";
const char kRangeFailed[] =
    "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
    "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))";
const char kUntailored[] = "1[0,1,2] 0[0,1,2]";

// The dynamic commands of the camera's channel in order, each as {command,
// default, accepted values...}; the failing query (4112: the list, else that
// command's range); the calls, and the settings 300 and 302.
struct AnswerCase {
    const char* name;
    int camera;
    std::vector<Words> ranges;
    int32_t failing;
    const char *calls, *settings;
};

// clang-format off
const AnswerCase kAnswerCases[] = {
    {"NoDynamicCommands", 2, {}, 0, "1:4112/1", kUntailored},
    {"AcceptedChoicesAndDefault", 1, {{300, 2, 0, 2}}, 0, "0:4112/1 0:300/2", "2[0,2] 0[0,1,2]"},
    {"OnItsOwnChannel", 3, {{300, 2, 2}, {302, 1, 1}}, 0, "2:4112/1 2:300/2 2:302/2", "2[2] 1[1]"},
    {"UnreadableCommandList", 1, {{300, 2, 2}}, 4112, "0:4112/1", kUntailored},
    // 302 answers first: a stale record would hand its range to 300.
    {"FailedRangeQuery", 1, {{302, 2, 0, 2}, {300, 0, 0}}, 300, "0:4112/1 0:302/2 0:300/2",
     "1[0,1,2] 2[0,2]"},
};
// clang-format on

void PrintTo(const AnswerCase& c, std::ostream* os) {
    *os << c.name << ": camera " << c.camera;
    if (c.failing == IA_CMD_DYNAMIC_PARAMS_CMDS_GET) {
        *os << ", command list query fails";
    } else if (c.failing) {
        *os << ", range query of " << c.failing << " fails";
    }
}

class ProcessorAnswerTest : public DynamicStyleTest,
                            public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ProcessorAnswerTest, TailorsWhatTheProcessorAnswered) {
    const AnswerCase& c = GetParam();
    const int ch = c.camera - 1;
    Words dynamic;
    for (const Words& r : c.ranges) {
        dynamic.push_back(r[0]);
        iasim::setParamRange(ch, r[0], 0, r[1], Words(r.begin() + 2, r.end()));
    }
    iasim::setDynamicCommands(0, {301});  // camera 1's list, a decoy for the others
    iasim::setDynamicCommands(ch, dynamic);
    if (c.failing == IA_CMD_DYNAMIC_PARAMS_CMDS_GET) {
        iasim::failCommand(ch, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -5);
    } else if (c.failing) {
        iasim::failCommand(ch, c.failing, -7, IA_CMD_OPT_GET_PARAM_RNAGE);
    }
    Doc doc(tailor(kChoices, false, c.camera));
    EXPECT_EQ(c.calls, callLog());
    EXPECT_EQ(c.settings, settingOf(doc.only(300)) + " " + settingOf(doc.only(302)));
    EXPECT_EQ("5[]", settingOf(doc.only(301)));
    const char* report = c.failing == 4112 ? kListFailed : c.failing ? kRangeFailed : nullptr;
    EXPECT_TRUE(report ? contains(m_strOut, failed(report)) : m_strOut.empty()) << m_strOut;
}

INSTANTIATE_TEST_SUITE_P(DynamicStyle, ProcessorAnswerTest, ::testing::ValuesIn(kAnswerCases),
                         CaseName());

TEST_F(DynamicStyleTest, ShutterAndNearLimitKeepAnAcceptedStyleDefault) {
    // The command, its value in the style, the processor's default, the value
    // kept, the item lines printed (-1: no count line either), the accepted values.
    const std::vector<Words> cases = {
        {49, 8, 10, 8, 2, 6, 8, 10}, {49, 8, 10, 10, 2, 6, 10}, {49, 100, 10, 10, -1, 8, 100},
        {50, 12, 14, 12, 1, 12, 14}, {1537, 3, 1, 3, 2, 1, 3},  {82, 512, 614, 614, -1, 512, 614}};
    for (const Words& c : cases) {
        const Words items(c.begin() + 5, c.end());
        // A first command without a setting puts the interesting one at position 1.
        iasim::setDynamicCommands(0, {900, c[0]});
        iasim::setParamRange(0, 900, 0, 1, {1});
        iasim::setParamRange(0, c[0], 0, c[2], items);
        Doc doc(tailor("<Style><Tab key='t'><Item id='" + std::to_string(c[0]) + "' value='" +
                       std::to_string(c[1]) + "'/></Tab></Style>"));
        EXPECT_EQ(std::to_string(c[3]), attr(doc.only(c[0]), "value")) << c[0];
        std::string printed;
        if (c[4] >= 0) {
            printed = "dnaCmdList.cmd_list[1] = dnaParamList.items_cnt(" +
                      std::to_string(items.size()) + ")\n";
        }
        for (int j = 0; j < c[4]; ++j) {
            printed += " dnaParamList.item[" + std::to_string(j) +
                       "] = " + std::to_string(items[j]) + " nVal = " + std::to_string(c[1]) +
                       " \n";
        }
        EXPECT_EQ(printed, m_strOut) << c[0];
    }
}

TEST_F(DynamicStyleTest, EveryMatchOutsideAMatchIsTailoredAndEveryOneIsListed) {
    iasim::setDynamicCommands(0, {300});
    iasim::setParamRange(0, 300, 0, 2, {0, 2});
    Doc twoTabs(
        tailor("<S><T><I id='300' value='1'><O index='0'/><O index='1'/></I></T><T>"
               "<I id='300' value='1'><O index='1'/><O index='2'/></I></T></S>"));
    EXPECT_EQ("2[0]", settingOf(twoTabs.all(300).at(0)));
    EXPECT_EQ("2[2]", settingOf(twoTabs.all(300).at(1)));
    // The nested element carries an index, so that it is a choice its parent keeps.
    const char nested[] =
        "<S><T><I id='300' value='1'><O index='0'/>"
        "<I id='300' value='1' index='2'><O index='1'/></I></I></T></S>";
    Doc doc(tailor(nested));
    EXPECT_EQ("2[0,2]", settingOf(doc.all(300).at(0)));
    EXPECT_EQ("1[1]", settingOf(doc.all(300).at(1))) << "inside a match: left alone";
    EXPECT_EQ((Pairs{{300, 2}, {300, 1}}), factory(nested));
}

TEST_F(DynamicStyleTest, FlagsRemoveTheLastPlaceholderButNeverTheRoot) {
    for (int flags = 0; flags < 4; ++flags) {
        const bool showWdr = flags & 1, beaway = flags & 2;
        setshowBeawayFalg(beaway);
        EXPECT_EQ(beaway, getshowBeawayFalg());
        Doc doc(
            tailor("<Style><Tab key='a'><Item id='10' value='0' label='first'/>"
                   "<Item id='11' value='0'/></Tab><Tab key='b'>"
                   "<Item id='10' value='0' label='last'/></Tab></Style>",
                   showWdr));
        std::string labels;
        for (TiXmlElement* e : doc.all(10)) {
            labels += (labels.empty() ? "" : " ") + attr(e, "label");
        }
        EXPECT_EQ(showWdr ? "first" : "first last", labels) << flags;
        EXPECT_EQ(beaway ? 0u : 1u, doc.all(11).size()) << flags;
    }
    EXPECT_EQ("<Item id=\"10\" value=\"0\" />\n",
              tailor("<Item id='10' value='0'><Item id='11' value='0'/></Item>", true));
}

TEST_F(DynamicStyleTest, ChoiceWithoutIndexStopsOnlyItsCommandAndIsReported) {
    const char style[] =
        "<Style><Tab key='a'><Item id='300' value='1'><Option index='0'/><Option label='x'/>"
        "<Option index='1'/></Item><Item id='302' value='0'><Option index='0'/>"
        "<Option index='1'/><Option index='2'/></Item></Tab></Style>";
    iasim::setDynamicCommands(0, {300, 302});
    iasim::setParamRange(0, 300, 0, 5, {7});
    iasim::setParamRange(0, 302, 0, 2, {0, 2});
    Doc doc(tailor(style));
    EXPECT_EQ("5[<none>,1]", settingOf(doc.only(300))) << "choices before the bad one are done";
    EXPECT_EQ("2[0,2]", settingOf(doc.only(302)));
    EXPECT_TRUE(contains(m_strOut, failed("SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), "
                                          "dnaCmdList.cmd_list[i], &dnaParamList)")));
    Doc direct(style);
    ia_dynamic_params_attr_st range{};
    EXPECT_EQ(-1, doDnaStyle(direct.RootElement(), 300, &range));
    EXPECT_EQ(0, doDnaStyle(direct.RootElement(), 302, &range));
    EXPECT_EQ(0, doDnaStyle(nullptr, 300, &range));
}

TEST_F(DynamicStyleTest, OnlySixteenCommandsAndSixtyFourItemsAreConsidered) {
    std::string style = "<Style><Tab key='t'>", calls = "0:4112/1";
    Words cmds, items;
    for (int32_t cmd = 1001; cmd <= 1020; ++cmd) {
        cmds.push_back(cmd);
        iasim::setParamRange(0, cmd, 0, cmd - 1000, {});
        style += "<Item id='" + std::to_string(cmd) + "' value='0'/>";
        calls += cmd <= 1016 ? " 0:" + std::to_string(cmd) + "/2" : "";
    }
    iasim::setDynamicCommands(0, cmds);
    Doc sixteen(tailor(style + "</Tab></Style>"));
    EXPECT_EQ(calls, callLog());
    for (int32_t cmd = 1001; cmd <= 1020; ++cmd) {
        EXPECT_EQ(cmd <= 1016 ? cmd - 1000 : 0, atoi(attr(sixteen.only(cmd), "value").c_str()));
    }
    style = "<Style><Tab key='t'><Item id='300' value='0'>";
    std::string kept = "0[0";
    for (int32_t v = 0; v < 70; ++v) {
        items.push_back(v);
        style += "<Option index='" + std::to_string(v) + "'/>";
        kept += v > 0 && v < 64 ? "," + std::to_string(v) : "";
    }
    style += "</Item><Item id='49' value='65'><Option index='63'/><Option index='65'/></Item>";
    iasim::setDynamicCommands(0, {300, 49});
    iasim::setParamRange(0, 300, 0, 0, items);
    iasim::setParamRange(0, 49, 0, 7, items);
    Doc doc(tailor(style + "</Tab></Style>"));
    EXPECT_EQ(kept + "]", settingOf(doc.only(300)));
    EXPECT_EQ("7[63]", settingOf(doc.only(49))) << "65 lies past the record's room";
    EXPECT_EQ(64u, countOf(m_strOut, " dnaParamList.item["));
}

TEST_F(DynamicStyleTest, SearchesByIdFindTheLastMatchInWalkOrder) {
    // A style, then the value and the label of the node found for id 5.
    const char* cases[][3] = {
        {"<R><I id='5' value='1' label='a'/><T><I id='5' value='3' label='b'/></T></R>", "3", "b"},
        {"<R><I id='5' value='1' label='a'><I id='5' value='9' label='in'/></I></R>", "1", "a"},
        {"<R><I id='5' value='1' label='a'/><I id='5' label='b'/></R>", "1", "b"},
        {"<R id='5' value='4' label='root'><I id='5' value='1'/></R>", "4", "root"},
        {"<R><I id='05' value='2' label='z'/></R>", "2", "z"},
        {"<R><I id='6' value='1' label='a'/><I value='5'/></R>", "untouched", "untouched"}};
    TiXmlElement sentinel("untouched");
    sentinel.SetAttribute("label", "untouched");
    for (const auto& c : cases) {
        Doc doc(c[0]);
        int value = -77;
        TiXmlElement* node = &sentinel;
        EXPECT_EQ(0, getDnaValbyCmdId(doc.RootElement(), 5, value));
        EXPECT_EQ(0, getNodebyCmdId(doc.RootElement(), 5, node));
        EXPECT_EQ(c[1], value == -77 ? "untouched" : std::to_string(value)) << c[0];
        EXPECT_EQ(c[2], attr(node, "label")) << c[0];
    }
    Doc doc("<R><I id='5' value='1'/></R>");
    int value = -77;
    EXPECT_EQ(0, getDnaValbyCmdId(nullptr, 5, value));
    EXPECT_EQ(-77, value);
    EXPECT_EQ(-1, DeleteNode(nullptr, doc.RootElement()->FirstChildElement()));
    EXPECT_EQ(-1, DeleteNode(doc.RootElement(), nullptr));
    EXPECT_EQ(1u, doc.all(5).size());
}

TEST_F(DynamicStyleTest, OnlyTheHighlightAndBacklightSwitchesGetAnEnableList) {
    // An id, then the enable list of every element of that id ("<none>": none).
    const char* cases[][2] = {{"112", "128"}, {"128", "112"}, {"34", "<none>"}};
    for (const auto& c : cases) {
        Doc doc(
            "<S><T><I id='112' value='0'/><I id='128' value='0'/><I id='34' value='0'/></T>"
            "<T><I id='112' value='1'/></T></S>");
        EXPECT_EQ(0, ModifyNodebyCmdId(doc.RootElement(), atoi(c[0])));
        for (TiXmlElement* e : doc.all()) {
            EXPECT_EQ(attr(e, "id") == c[0] ? c[1] : "<none>", attr(e, "enable_list"))
                << "id " << c[0] << ", element " << attr(e, "id");
        }
    }
}

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
    std::string out = stdoutOf(
        [&] { EXPECT_EQ(SNS_SUCCESS, getFctData(1, &style[0], room.records, &count, false)); });
    EXPECT_EQ(150u, count);
    EXPECT_EQ((Pairs{{5149, 149}}), pairsOf(room.records + 149, 1));
    EXPECT_EQ(0, memcmp(&untouched, &room.guard, sizeof(KeyVal))) << "written past the array";
    EXPECT_TRUE(contains(out, failed("SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, "
                                     "p_pnKeyValNum)") +
                                  kReset + kRed + "p_pnKeyValNum(150)\n" + kReset));
    u32 unchanged = 3;
    EXPECT_EQ(0, style2KeyVal(nullptr, nullptr, &unchanged));
    EXPECT_EQ(3u, unchanged);
}

TEST_F(DynamicStyleTest, Style2KeyValAppendsEveryIdValueElementWithinItsCapacity) {
    Doc doc(
        "<S id='1' value='10'><T id='2'><I id='3' value='30'/><I value='4'/></T>"
        "<I id='5' value='50'><O id='6' value='60'/></I></S>");
    const Pairs all = {{1, 10}, {3, 30}, {5, 50}, {6, 60}};
    // Records already there, result, records after: the factory set's room
    // (FACTORY_KEYVAL_CAPACITY) is never passed.
    const int last = FACTORY_KEYVAL_CAPACITY;
    const int cases[][3] = {{0, 0, 4}, {1, 0, 5}, {last - 4, 0, last}, {last - 3, -1, last}};
    for (const auto& c : cases) {
        KeyVal records[FACTORY_KEYVAL_CAPACITY + 1] = {};
        records[last] = {0xdead, 7};
        u32 count = c[0];
        EXPECT_EQ(c[1], style2KeyVal(doc.RootElement(), records, &count));
        ASSERT_EQ(static_cast<u32>(c[2]), count);
        EXPECT_EQ(Pairs(all.begin(), all.begin() + (c[2] - c[0])),
                  pairsOf(records + c[0], c[2] - c[0]));
        EXPECT_EQ(0xdeadu, records[last].key) << "written past the room";
    }
}

TEST_F(DynamicStyleTest, SampleFactorySetsAreTheTailoredStylesInWalkOrderSchemeKeysFirst) {
    for (const auto& sample : {std::make_pair("box", 1), {"dome", 1}, {"thermal", 2}}) {
        SCOPED_TRACE(sample.first);
        const int camera = sample.second;
        seed(sample.first);
        ModuleConfigure module;
        ASSERT_TRUE(sampleModule(camera, module));
        SysConfig conf{};
        initSysConf(camera, module, &conf);
        const std::string style = conf.szUIStyle ? conf.szUIStyle : "";
        uinitSysConf(&conf);
        Pairs records = factory(style, camera);
        ASSERT_TRUE(records.size() >= 60 && records.size() <= 140) << records.size();
        for (u32 i = 0; i < 5; ++i) {
            EXPECT_EQ(8000 + i, records[i].first);
        }
        std::set<u32> keys;
        Pairs walked;
        Doc tailored(tailor(style, false, camera));
        for (TiXmlElement* e : tailored.all()) {
            if (e->Attribute("id") && e->Attribute("value")) {
                walked.emplace_back(atoi(e->Attribute("id")), atoi(e->Attribute("value")));
                EXPECT_TRUE(keys.insert(walked.back().first).second) << walked.back().first;
            }
        }
        EXPECT_EQ(walked, records);
    }
}

}  // namespace
