// The style merge as the host sees it: a style text and a style-diversity text
// go in, the printed document comes back in *ui_style and in the scratch file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/SandboxRoot.h"
#include "sensor/SensorFile.h"
#include "sensor/StyleDocument.h"
#include "support/SensorDebug.h"

// A diversity text; a rule that every detail text of these tests selects; a
// rule of the given selectors that adds the tab "n" after "a", alone in a text.
#define DIV(rules) "<StyleDiversity>" rules "</StyleDiversity>"
#define RULE(operations) "<Rule lens='1'>" operations "</Rule>"
#define ADD_N(selectors) \
    "<Rule " selectors "><AddAfter tab_key='a'><Tab key='n'/></AddAfter></Rule>"
#define SEL(selectors) DIV(ADD_N(selectors))
#define ADD_THEN_MODIFY                                     \
    "<AddAfter tab_key='a'><Tab key='n' v='1'/></AddAfter>" \
    "<Modify tab_key='n'><Tab key='n' v='2'/></Modify>"
#define X16 "xxxxxxxxxxxxxxxx"

namespace {

const char kScratch[] = "/tmp/merge_style.xml";
const char kABC[] = "<Style><Tab key='a'/><Tab key='b'/><Tab key='c'/></Style>";
const char kAA[] = "<Style><Tab key='a' v='1'/><Tab key='a' v='2'/></Style>";
const char kL1[] = "(lens=1)(iris=0)";
const char kDeleteA[] = DIV(RULE("<Delete tab_key='a'/>"));
const std::string kNoTab =
    failed("NULL != (tab_node = doc_style->RootElement()->FirstChildElement())");

// The merged text; a null style or diversity is passed as null.
std::string merged(const char* detail, const char* style, const char* diversity) {
    ModuleConfig config;
    memset(&config, 0, sizeof(config));
    strncpy(config.szDetail, detail, sizeof(config.szDetail) - 1);
    char* ui_style = style ? strdup(style) : nullptr;
    std::string div = diversity ? diversity : "";
    EXPECT_EQ(SNS_SUCCESS, mergeStyle(&config, &ui_style, diversity ? &div[0] : nullptr));
    std::string text = ui_style ? ui_style : "(no style text)";
    free(ui_style);
    return text;
}

// The tabs of a style text: "key", "key/v" when the tab has a "v", the element
// name in front when it is not "Tab"; "?" stands for a missing key.
std::string tabsOf(const std::string& text) {
    StyleDocument doc;
    doc.LoadMem(text.c_str(), TIXML_ENCODING_UTF8);
    std::string tabs;
    for (const TiXmlElement* tab = doc.RootElement() ? doc.RootElement()->FirstChildElement() : 0;
         tab; tab = tab->NextSiblingElement()) {
        tabs += tabs.empty() ? "" : " ";
        tabs += strcmp(tab->Value(), "Tab") == 0 ? "" : std::string(tab->Value()) + ":";
        tabs += tab->Attribute("key") ? tab->Attribute("key") : "?";
        tabs += tab->Attribute("v") ? std::string("/") + tab->Attribute("v") : "";
    }
    return tabs;
}

using StyleMergeTest = SandboxRoot;

// The detail text, style (null: none) and diversity (null: none) merged; the
// tabs of the merged style (null: not checked, for hostile inputs) and whether
// the merge may report (false: standard output stays empty).
struct MergeCase {
    MergeCase(const char* n, const char* d, const char* s, const char* v, const char* t,
              bool r = false)
        : name(n), detail(d), style(s), diversity(v), tabs(t), reports(r) {}
    const char *name, *detail, *style, *diversity, *tabs;
    bool reports;
};

// clang-format off
const MergeCase kMergeCases[] = {
    // Selectors: any one that matches selects the rule, which applies once.
    {"SecondSelectorMatches", kL1, kABC, SEL("lens='2' iris='0'"), "a n b c"},
    {"TwoMatchingSelectorsApplyOnce", kL1, kABC, SEL("lens='1' iris='0'"), "a n b c"},
    {"FiveCharactersAcceptLongerValue", "(sensor=abcde1)", kABC, SEL("sensor='abcde'"), "a n b c"},
    {"ShortSelectorRejectsLongerValue", "(sensor=abc)", kABC, SEL("sensor='ab'"), "a b c"},
    {"SixthCharacterIsNotCompared", "(sensor=abcdeY)", kABC, SEL("sensor='abcdeX'"), "a n b c"},
    {"ListAcceptsItsSecondValue", "(sensor=b)", kABC, SEL("sensor='a,b'"), "a n b c"},
    {"ListRejectsOtherValue", "(sensor=c)", kABC, SEL("sensor='a,b'"), "a b c"},
    {"AbsentFieldMatchesNoEmptyValue", kL1, kABC, SEL("zoom=''"), "a b c"},
    {"AbsentFieldMatchesNoEmptyListEntry", kL1, kABC, SEL("iris='1,,'"), "a b c"},
    {"FieldNameIsFoundAsSubstring", "(sensor=imx385)", kABC, SEL("ens='imx38'"), "a n b c"},
    {"LongValueIsComparedByItsStart", "(sensor=imx385abcdefghijklmnop)", kABC,
     SEL("sensor='imx385'"), "a n b c"},
    {"RuleWithoutSelectorIsSkipped", kL1, kABC, SEL(""), "a b c"},
    {"RootAttributesAreNoSelectors", kL1, kABC,
     "<StyleDiversity lens='1'><Delete tab_key='a'/></StyleDiversity>", "a b c"},
    {"OddSelectorValuesMatchNothing", "(sensor=imx385)", kABC,
     DIV(ADD_N("sensor=',,,'") ADD_N("sensor='&lt;&quot;&gt;&amp;'")
         ADD_N("sensor='" X16 X16 X16 X16 "'")
         ADD_N("sensor_with_a_name_far_longer_than_any_buffer_of_the_module='1'")), "a b c"},
    // Operations act on the first tab of their key, in document order.
    {"AddAfterThenModifyTheAddedCopy", kL1, kABC, DIV(RULE(ADD_THEN_MODIFY)), "a n/2 b c"},
    {"ModifyAfterAddAfterHitsAnEarlierTabOfThatKey", kL1,
     "<Style><Tab key='n' v='0'/><Tab key='a'/></Style>", DIV(RULE(ADD_THEN_MODIFY)), "n/2 a n/1"},
    {"DuplicateKeyOnlyFirstIsModified", kL1, kAA,
     DIV(RULE("<Modify tab_key='a'><Tab key='a' v='9'/></Modify>")), "a/9 a/2"},
    {"DuplicateKeyOnlyFirstIsDeleted", kL1, kAA, DIV(RULE("<Delete tab_key='a'/>")), "a/2"},
    {"DuplicateKeyAddsAfterTheFirst", kL1, kAA,
     DIV(RULE("<AddAfter tab_key='a'><Tab key='n'/></AddAfter>")), "a/1 n a/2"},
    {"LowerCaseModifyChangesNothing", kL1, kABC,
     DIV(RULE("<modify tab_key='a'><Tab key='a' v='9'/></modify>")), "a b c"},
    {"KeyIsCaseSensitive", kL1, kABC, DIV(RULE("<Delete tab_key='A'/>")), "a b c"},
    {"UnknownTabKeyChangesNothing", kL1, kABC,
     DIV(RULE("<Modify tab_key='zz'><Tab key='zz'/></Modify>")), "a b c"},
    {"TabWithoutKeyIsNeverMatched", kL1, "<Style><Tab v='1'/><Tab key='' v='2'/></Style>",
     DIV(RULE("<Delete tab_key=''/>")), "?/1"},
    {"IncompleteOperationsChangeNothing", kL1, kABC,
     DIV(RULE("<Delete/><Modify><Tab key='x'/></Modify><Modify tab_key='a'><!-- none --></Modify>"
              "<AddAfter tab_key='b'/>")), "a b c"},
    {"NewTabIsCopiedWhateverItsName", kL1, kABC,
     DIV(RULE("<Modify tab_key='b'><Pane key='z' v='3'><Item/></Pane></Modify>")), "a Pane:z/3 c"},
    {"RuleEditsWhatAnEarlierRuleLeft", kL1, kABC,
     DIV(RULE("<AddAfter tab_key='c'><Tab key='n' v='1'/></AddAfter>")
         "<Rule iris='0'><Modify tab_key='n'><Tab key='n' v='2'/></Modify></Rule>"), "a b c n/2"},
    // Hostile inputs.
    {"GarbageStyle", kL1, "<<<&&&>>> not a document", kDeleteA, "", true},
    {"EmptyStyle", kL1, "", kDeleteA, "", true},
    {"NullStyle", kL1, nullptr, kDeleteA, "", true},
    {"UnclosedStyle", kL1, "<Style><Tab key='a'><Tab key='b'>", kDeleteA, nullptr, true},
    {"BinaryStyle", kL1, "\x01\x02\xff\xfe<\x80\x81", nullptr, nullptr, true},
    {"OperationsOnAMissingStyleRoot", kL1, "<!-- only a comment -->",
     DIV(RULE("<Modify tab_key='a'><Tab key='a'/></Modify><Delete/>")), "", true},
    {"GarbageDiversity", kL1, kABC, "<<Rule lens=1>>", "a b c", true},
    {"EmptyDiversity", kL1, kABC, "", "a b c", true},
    {"NullDiversity", kL1, kABC, nullptr, "a b c", true},
    {"DiversityOfTextOnly", kL1, kABC, DIV("only text"), "a b c", true},
};
// clang-format on

void PrintTo(const MergeCase& c, std::ostream* os) {
    *os << c.name;
}

class StyleMergeCaseTest : public StyleMergeTest,
                           public ::testing::WithParamInterface<MergeCase> {};

TEST_P(StyleMergeCaseTest, HandsBackATerminatedTextEqualToTheScratchFile) {
    const MergeCase& c = GetParam();
    std::string text;
    std::string out = stdoutOf([&] { text = merged(c.detail, c.style, c.diversity); });
    EXPECT_EQ(readFile(kScratch), text);
    if (c.tabs) {
        EXPECT_EQ(c.tabs, tabsOf(text));
    }
    EXPECT_TRUE(c.reports || out.empty()) << out;
}

INSTANTIATE_TEST_SUITE_P(StyleMerge, StyleMergeCaseTest, ::testing::ValuesIn(kMergeCases),
                         CaseName());

TEST_F(StyleMergeTest, HandsBackThePrintedFormOfTheDocument) {
    const char* style =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- page -->\n<Style version='1'>\n"
        "  <Tab key=\"a\" label=\"A &amp; B\">\n    <Item id=\"1\" value=\"2\"></Item>\n  </Tab>\n"
        "  <Tab key=\"b\"><Text>hello</Text></Tab>\n</Style>\n";
    EXPECT_EQ(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<!-- page -->\n<Style version=\"1\">\n"
        "    <Tab key=\"a\" label=\"A &amp; B\">\n        <Item id=\"1\" value=\"2\" />\n"
        "    </Tab>\n    <Tab key=\"c\" />\n    <Tab key=\"b\">\n        <Text>hello</Text>\n"
        "    </Tab>\n</Style>\n",
        merged("(lens=1)", style, DIV(RULE("<AddAfter tab_key='a'><Tab key='c'/></AddAfter>"))));
}

TEST_F(StyleMergeTest, StyleWithoutTabsReportsEachOperationAndStaysAsItWas) {
    std::string out = stdoutOf([] {
        EXPECT_EQ("<Style />\n",
                  merged("(lens=1)", "<Style/>",
                         DIV(RULE("<Modify tab_key='a'><Tab key='a'/></Modify><Delete tab_key='a'/>"
                                  "<AddAfter tab_key='a'><Tab key='n'/></AddAfter>"))));
    });
    EXPECT_EQ(3u, countOf(out, kNoTab));
}

TEST_F(StyleMergeTest, RuleWithoutOperationsIsReportedAndSkipped) {
    std::string out = stdoutOf([] {
        EXPECT_EQ("a b", tabsOf(merged("(lens=1)", kABC,
                                       DIV(RULE("no operation") RULE("<Delete tab_key='c'/>")))));
    });
    EXPECT_EQ(1u, countOf(out, failed("NULL != (node_second = node_first->FirstChildElement())")));
}

TEST_F(StyleMergeTest, ScratchFileHoldsTheMergedTextAndNothingElseIsLeft) {
    writeFile(kScratch, "stale text of an earlier merge, longer than the new one");
    std::string text = merged("(lens=1)", kABC, kDeleteA);
    EXPECT_EQ("b c", tabsOf(text));
    EXPECT_EQ(text, readFile(kScratch));
    EXPECT_EQ(std::vector<std::string>{"merge_style.xml"}, dirEntries(hostPath("/tmp")));
}

TEST_F(StyleMergeTest, TwoThreadsMergingAtOnceEachGetTheirOwnResult) {
    // Large enough that the writes of the two merges overlap in time.
    std::string wide = "<Style><Tab key='a'/>";
    for (int i = 0; i < 300; ++i) {
        wide += "<Tab key='w" + std::to_string(i) + "' label='wide tab'/>";
    }
    const std::string styles[2] = {wide + "</Style>",
                                   "<Other><Tab key='a'/><Tab key='y'/></Other>"};
    const std::string wanted[2] = {merged("(lens=1)", styles[0].c_str(), kDeleteA),
                                   merged("(lens=1)", styles[1].c_str(), kDeleteA)};
    ASSERT_EQ(0u, wanted[0].find("<Style>\n    <Tab key=\"w0\""));
    ASSERT_EQ("y", tabsOf(wanted[1]));
    std::atomic<int> mismatches(0);
    auto mergeMany = [&](int which) {
        for (int round = 0; round < 50; ++round) {
            mismatches += merged("(lens=1)", styles[which].c_str(), kDeleteA) != wanted[which];
        }
    };
    std::thread one(mergeMany, 0), two(mergeMany, 1);
    one.join();
    two.join();
    EXPECT_EQ(0, mismatches.load());
    EXPECT_EQ(std::vector<std::string>{"merge_style.xml"}, dirEntries(hostPath("/tmp")));
}

TEST_F(StyleMergeTest, MissingArgumentsAreReportedWithoutEffect) {
    std::string div = kDeleteA;
    char* ui_style = strdup(kABC);
    ModuleConfig config;
    memset(&config, 0, sizeof(config));
    StyleDocument empty, doc;
    ASSERT_TRUE(doc.LoadMem(kABC, TIXML_ENCODING_UTF8));
    TiXmlElement tab("Tab");
    std::string out = stdoutOf([&] {
        EXPECT_EQ(SNS_SUCCESS, mergeStyle(nullptr, &ui_style, &div[0]));
        EXPECT_EQ(SNS_SUCCESS, mergeStyle(&config, nullptr, &div[0]));
        EXPECT_EQ(0, updateStyleTab(&empty, "AddAfter", "a", &tab));
        EXPECT_EQ(0, updateStyleTab(nullptr, "Delete", "a", nullptr));
        EXPECT_EQ(0, updateStyleTab(&doc, nullptr, "a", &tab));
    });
    EXPECT_EQ(4u, countOf(out, "[sensor assert]"));
    EXPECT_EQ(2u, countOf(out, kNoTab));
    EXPECT_STREQ(kABC, ui_style);
    EXPECT_FALSE(exists(kScratch));
    std::string text;
    doc.getXmlString(text);
    EXPECT_EQ("a b c", tabsOf(text));
    free(ui_style);
}

}  // namespace
