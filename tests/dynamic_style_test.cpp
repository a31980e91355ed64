// Tailoring the style to the fitted sensor and deriving the factory set, as a
// host sees them: the tailored settings, the factory records, the calls the
// processor received and the lines on standard output.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include "fixtures/CameraDisk.h"
#include "fixtures/Reports.h"
#include "fixtures/SchemeSets.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"
#include "sensor/StyleDocument.h"
#include "sensor/sensor.h"

namespace {

typedef std::vector<int32_t> Words;

std::string attr(const TiXmlElement* e, const char* name) {
    return e && e->Attribute(name) ? e->Attribute(name) : "-";
}

// Each element with an id in walk order: "id=value[choice indices]", with
// "{enable_list}" when it has one.
void settings(TiXmlElement* e, std::string& text) {
    for (; e; settings(e->FirstChildElement(), text), e = e->NextSiblingElement())
        if (e->Attribute("id")) {
            text += (text.empty() ? "" : " ") + attr(e, "id") + "=" + attr(e, "value") + "[";
            for (TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement())
                text += attr(c, "index") + (c->NextSiblingElement() ? "," : "");
            text += "]" + (e->Attribute("enable_list") ? "{" + attr(e, "enable_list") + "}" : "");
        }
}

using DynamicStyleTest = CameraDisk;

// Setting 300 is a three-way choice, 301 a slider, 302 another choice.
const char kChoices[] =
    "<S><T><I id='300' value='1'><O index='0'/><O index='1'/><O index='2'/></I>"
    "<I id='301' value='5'/></T><T><I id='302' value='0'><O index='0'/><O index='1'/>"
    "<O index='2'/></I></T></S>";
const char kNoIndex[] =
    "<S><I id='300' value='1'><O index='0'/><O label='x'/><O index='1'/></I>"
    "<I id='302' value='0'><O index='0'/><O index='1'/><O index='2'/></I></S>";
// 10 and 11: the placeholders the flags remove.
const char kHolders[] =
    "<S><T><I id='10' value='0'/><I id='11' value='0'/></T><T><I id='10' value='1'/></T></S>";
const char kLimitsPrinted[] =
    "dnaCmdList.cmd_list[0] = dnaParamList.items_cnt(3)\n dnaParamList.item[0] = 6 nVal = 8 \n"
    " dnaParamList.item[1] = 8 nVal = 8 \ndnaCmdList.cmd_list[1] = dnaParamList.items_cnt(1)\n"
    " dnaParamList.item[0] = 14 nVal = 12 \ndnaCmdList.cmd_list[2] = dnaParamList.items_cnt(2)\n"
    " dnaParamList.item[0] = 1 nVal = 3 \n dnaParamList.item[1] = 3 nVal = 3 \n";

// The camera, its channel's dynamic commands in order, each {command, default,
// accepted values...}; the failing query (4112: the list, else that command's
// range); flags (1: show WDR, 2: beaway); the style; the tailored settings and
// calls; what is printed exactly, or (from "SNS") the check reported as failed.
// clang-format off
const struct Case { int camera; std::vector<Words> commands; int32_t failing; int flags;
                    const char *style, *tailored, *out; } kCases[] = {
    {3, {{300, 2, 2}, {302, 1, 1}}, 0, 0, kChoices,
     "300=2[2] 301=5[] 302=1[1] 2:4112/1 2:300/2 2:302/2", ""},
    {1, {{300, 2, 2}}, 4112, 0, kChoices, "300=1[0,1,2] 301=5[] 302=0[0,1,2] 0:4112/1",
     "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "
     "IA_CMD_OPT_GET, (void*)(&dnaCmdList))"},
    // 302 answers first: a stale record would hand its range to 300.
    {1, {{302, 2, 0, 2}, {300, 0, 0}}, 300, 0, kChoices, "300=1[0,1,2] 301=5[] 302=2[0,2] "
     "0:4112/1 0:302/2 0:300/2", "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, "
     "(ia_cmd_e)dnaCmdList.cmd_list[i], IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))"},
    // A choice without an index stops its own command there.
    {1, {{300, 5, 7}, {302, 2, 0, 2}}, 0, 0, kNoIndex, "300=5[-,1] 302=2[0,2] 0:4112/1 0:300/2 "
     "0:302/2", "SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), dnaCmdList.cmd_list[i], "
     "&dnaParamList)"},
    // The shutters and the near limit keep a style default the sensor accepts, unless 100.
    {1, {{49, 10, 6, 8, 10}, {50, 14, 14}, {1537, 1, 1, 3}}, 0, 0,
     "<S><I id='49' value='8'/><I id='50' value='12'/><I id='1537' value='3'/></S>",
     "49=8[] 50=14[] 1537=3[] 0:4112/1 0:49/2 0:50/2 0:1537/2", kLimitsPrinted},
    {1, {{49, 10, 8, 100}}, 0, 0, "<S><I id='49' value='100'/></S>", "49=10[] 0:4112/1 0:49/2", ""},
    // The flags remove the last placeholder of their id, but never the root.
    {1, {}, 0, 1, kHolders, "10=0[] 11=0[] 0:4112/1", ""},
    {1, {}, 0, 2, kHolders, "10=0[] 10=1[] 0:4112/1", ""},
    {1, {}, 0, 3, "<I id='10' value='0'><I id='11' value='0'/></I>", "10=0[] 0:4112/1", ""}};
// clang-format on

TEST_F(DynamicStyleTest, TailorsWhatTheProcessorAnswered) {
    for (const Case& c : kCases) {
        iasim::reset();
        Words dynamic;
        for (const Words& r : c.commands)
            dynamic.push_back(r[0]),
                iasim::setParamRange(c.camera - 1, r[0], 0, r[1], Words(r.begin() + 2, r.end()));
        // Camera 1's list is a decoy for the others.
        iasim::setDynamicCommands(0, {301}), iasim::setDynamicCommands(c.camera - 1, dynamic);
        iasim::failCommand(c.camera - 1, c.failing, c.failing ? -5 : 0,
                           c.failing == 4112 ? -1 : int(IA_CMD_OPT_GET_PARAM_RNAGE));
        // The tailored settings, then "channel:command/option" of each processor call.
        std::string text, shown;
        auto n = [](int v) { return std::to_string(v); };
        setshowBeawayFalg(c.flags & 2);
        std::string out = stdoutOf([&] { getDnaStyle(c.camera, c.style, text, c.flags & 1); });
        setshowBeawayFalg(true);  // as the module starts
        TiXmlDocument doc;
        doc.Parse(text.c_str());
        settings(doc.RootElement(), shown);
        for (auto& k : iasim::calls()) shown += " " + n(k.ch) + ":" + n(k.cmd) + "/" + n(k.opt);
        EXPECT_EQ(c.tailored, shown);
        EXPECT_TRUE(strncmp(c.out, "SNS", 3) ? out == c.out : contains(out, failed(c.out))) << out;
    }
}

// The factory set: each element with an id and a value, in walk order, after
// the records already there and up to the set's room; an overflow is reported.
TEST_F(DynamicStyleTest, FactorySetIsTheWalkOfTheStyleWithinItsRoom) {
    std::string style = "<S id='1' value='10'><T id='2'><I value='4'/>";
    for (int i = 0; i < 200; ++i)
        style += "<I id='" + std::to_string(5000 + i) + "' value='" + std::to_string(i) + "'/>";
    KeyVal room[FACTORY_KEYVAL_CAPACITY + 1];  // the last one a guard
    memset(room, 0xA5, sizeof(room));
    u32 count = 0;
    EXPECT_TRUE(
        contains(stdoutOf([&] { getFctData(1, &(style += "</T></S>")[0], room, &count, false); }),
                 failed("SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum)") +
                     kReset + kRed + "p_pnKeyValNum(150)\n" + kReset));
    EXPECT_EQ(150u, count);
    const std::string out =
        stdoutOf([&] { EXPECT_EQ(0, getFctData(1, &style[0], room, nullptr, false)); });
    EXPECT_TRUE(contains(out, failed("NULL != p_pnKeyValNum"))) << "a missing count is refused";
    EXPECT_FALSE(StyleDocument().LoadMem("", TIXML_ENCODING_UTF8));
    EXPECT_EQ((KeyVals{{1, 10}, {5000, 0}, {5148, 148}}), (KeyVals{room[0], room[1], room[149]}));
    TiXmlDocument doc;  // a full set takes no more
    doc.Parse("<S id='1' value='10'><I id='3' value='30'/></S>");
    EXPECT_EQ(-1, style2KeyVal(doc.RootElement(), room, &(count = FACTORY_KEYVAL_CAPACITY - 1)));
    EXPECT_TRUE(count == 150 && room[149] == (KeyVal{1, 10})) << count;
    EXPECT_EQ(0xA5A5A5A5u, room[150].key) << "written past the array";
}

// Backlight and highlight compensation enable each other; a missing root or
// node is refused.
TEST(DynamicStyleNodes, CompensationsEnableEachOtherAndMissingNodesAreRefused) {
    TiXmlDocument doc;
    doc.Parse("<S><I id='112' value='0'/><I id='128' value='0'/><I id='5' value='0'/></S>");
    for (int id : {112, 128, 5}) ModifyNodebyCmdId(doc.RootElement(), id);
    std::string shown;
    settings(doc.RootElement(), shown);
    EXPECT_EQ("112=0[]{128} 128=0[]{112} 5=0[]", shown);
    u32 count = 7;
    EXPECT_EQ(Words({-1, -1, 0, 7}),
              Words({DeleteNode(nullptr, doc.RootElement()), DeleteNode(doc.RootElement(), nullptr),
                     style2KeyVal(nullptr, nullptr, &count), int(count)}));
}

}  // namespace
