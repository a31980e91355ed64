// The style merge as the host sees it: a style text and a style-diversity text
// go in, the printed document comes back in *ui_style and in the scratch file.
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/SandboxRoot.h"
#include "sensor/SensorFile.h"
#include "sensor/StyleDocument.h"
#include "support/SensorDebug.h"

// A style-diversity document around the given rules.
#define DIV(rules) "<StyleDiversity>" rules "</StyleDiversity>"

namespace {

const char kScratch[] = "/tmp/merge_style.xml";
const char kThreeTabs[] = R"(<Style><Tab key="a"/><Tab key="b"/><Tab key="c"/></Style>)";
const std::string kNoTab =
    "NULL != (tab_node = doc_style->RootElement()->FirstChildElement())   ~~~Assertion failed.\n";
const std::string kNoOperation =
    "NULL != (node_second = node_first->FirstChildElement())   ~~~Assertion failed.\n";

size_t countOf(const std::string& text, const std::string& needle) {
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

// The merged text for a detail text; a null style or diversity is passed as null.
std::string merged(const char* detail, const char* style, const char* diversity) {
    ModuleConfig config;
    memset(&config, 0, sizeof(config));
    strncpy(config.szDetail, detail, sizeof(config.szDetail) - 1);
    char* ui_style = style ? strdup(style) : nullptr;
    std::string div = diversity ? diversity : "";
    EXPECT_EQ(SNS_SUCCESS, mergeStyle(&config, &ui_style, diversity ? &div[0] : nullptr));
    if (!ui_style) {
        ADD_FAILURE() << "the merge left no style text";
        return std::string();
    }
    std::string text = ui_style;
    free(ui_style);
    return text;
}

// The tabs of a style text: "key", "key/v" when the tab has a "v", and the
// element name in front when it is not "Tab"; "?" stands for a missing key.
std::string tabsOf(const std::string& text) {
    StyleDocument doc;
    doc.LoadMem(text.c_str(), TIXML_ENCODING_UTF8);
    const TiXmlElement* root = doc.RootElement();
    std::string tabs;
    for (const TiXmlElement* tab = root ? root->FirstChildElement() : nullptr; tab;
         tab = tab->NextSiblingElement()) {
        const char* key = tab->Attribute("key");
        const char* v = tab->Attribute("v");
        tabs += tabs.empty() ? "" : " ";
        tabs += strcmp(tab->Value(), "Tab") == 0 ? "" : std::string(tab->Value()) + ":";
        tabs += key ? key : "?";
        tabs += v ? std::string("/") + v : "";
    }
    return tabs;
}

class StyleMergeTest : public SandboxRoot {
  protected:
    std::vector<std::string> tmpEntries() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(hostPath("/tmp").c_str())) {
            while (dirent* entry = readdir(dir)) {
                if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
                    names.push_back(entry->d_name);
                }
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

struct MergeCase {
    const char* name;
    const char* detail;
    const char* style;  // null: kThreeTabs
    const char* diversity;
    const char* tabs;  // the tabs of the merged style
};

void PrintTo(const MergeCase& c, std::ostream* os) {
    *os << c.name;
}

class StyleMergeRuleTest : public StyleMergeTest,
                           public ::testing::WithParamInterface<MergeCase> {};

TEST_P(StyleMergeRuleTest, AppliesTheMatchingRules) {
    const MergeCase& c = GetParam();
    testing::internal::CaptureStdout();
    std::string text = merged(c.detail, c.style ? c.style : kThreeTabs, c.diversity);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.tabs, tabsOf(text));
    EXPECT_EQ("", out) << "none of these documents is faulty";
}

const MergeCase kMergeCases[] = {
    {"SecondSelectorMatches", "(lens=1)(iris=0)", nullptr,
     DIV(R"(<Rule lens="2" iris="0"><Delete tab_key="b"/></Rule>)"), "a c"},
    {"TwoMatchingSelectorsApplyOnce", "(lens=1)(iris=0)", nullptr,
     DIV(R"(<Rule lens="1" iris="0"><AddAfter tab_key="a"><Tab key="n"/></AddAfter></Rule>)"),
     "a n b c"},
    {"FiveCharactersAcceptFirstLongerValue", "(sensor=abcde1)", nullptr,
     DIV(R"(<Rule sensor="abcde"><Delete tab_key="a"/></Rule>)"), "b c"},
    {"FiveCharactersAcceptSecondLongerValue", "(sensor=abcde2)", nullptr,
     DIV(R"(<Rule sensor="abcde"><Delete tab_key="a"/></Rule>)"), "b c"},
    {"ShortSelectorRejectsLongerValue", "(sensor=abc)", nullptr,
     DIV(R"(<Rule sensor="ab"><Delete tab_key="a"/></Rule>)"), "a b c"},
    {"SixthCharacterIsNotCompared", "(sensor=abcdeY)", nullptr,
     DIV(R"(<Rule sensor="abcdeX"><Delete tab_key="a"/></Rule>)"), "b c"},
    {"ListAcceptsItsSecondValue", "(sensor=b)", nullptr,
     DIV(R"(<Rule sensor="a,b"><Delete tab_key="a"/></Rule>)"), "b c"},
    {"ListRejectsOtherValue", "(sensor=c)", nullptr,
     DIV(R"(<Rule sensor="a,b"><Delete tab_key="a"/></Rule>)"), "a b c"},
    {"AbsentFieldNeverMatches", "(lens=1)", nullptr,
     DIV(R"(<Rule zoom=""><Delete tab_key="a"/></Rule><Rule iris="1,,"><Delete tab_key="b"/></Rule>)"),
     "a b c"},
    {"FieldNameIsFoundAsSubstring", "(sensor=imx385)", nullptr,
     DIV(R"(<Rule ens="imx38"><Delete tab_key="a"/></Rule>)"), "b c"},
    {"ValueLongerThanBufferIsComparedByItsStart", "(sensor=imx385abcdefghijklmnop)", nullptr,
     DIV(R"(<Rule sensor="imx385"><Delete tab_key="a"/></Rule>)"), "b c"},
    {"RuleWithoutSelectorIsSkipped", "(lens=1)", nullptr,
     DIV(R"(<Rule><Delete tab_key="a"/></Rule>)"), "a b c"},
    {"RootAttributesAreNoSelectors", "(lens=1)", nullptr,
     R"(<StyleDiversity lens="1"><Delete tab_key="a"/></StyleDiversity>)", "a b c"},
    {"AddAfterThenModifyTheAddedCopy", "(lens=1)", nullptr,
     DIV(R"(<Rule lens="1"><AddAfter tab_key="a"><Tab key="n" v="1"/></AddAfter>)"
         R"(<Modify tab_key="n"><Tab key="n" v="2"/></Modify></Rule>)"),
     "a n/2 b c"},
    {"ModifyAfterAddAfterHitsAnEarlierTabOfThatKey", "(lens=1)",
     R"(<Style><Tab key="n" v="0"/><Tab key="a"/></Style>)",
     DIV(R"(<Rule lens="1"><AddAfter tab_key="a"><Tab key="n" v="1"/></AddAfter>)"
         R"(<Modify tab_key="n"><Tab key="n" v="2"/></Modify></Rule>)"),
     "n/2 a n/1"},
    {"DuplicateKeyOnlyFirstIsModified", "(lens=1)",
     R"(<Style><Tab key="a" v="1"/><Tab key="a" v="2"/></Style>)",
     DIV(R"(<Rule lens="1"><Modify tab_key="a"><Tab key="a" v="9"/></Modify></Rule>)"), "a/9 a/2"},
    {"DuplicateKeyOnlyFirstIsDeleted", "(lens=1)",
     R"(<Style><Tab key="a" v="1"/><Tab key="a" v="2"/></Style>)",
     DIV(R"(<Rule lens="1"><Delete tab_key="a"/></Rule>)"), "a/2"},
    {"DuplicateKeyAddsAfterTheFirst", "(lens=1)",
     R"(<Style><Tab key="a" v="1"/><Tab key="a" v="2"/></Style>)",
     DIV(R"(<Rule lens="1"><AddAfter tab_key="a"><Tab key="n"/></AddAfter></Rule>)"), "a/1 n a/2"},
    {"LowerCaseModifyChangesNothing", "(lens=1)", nullptr,
     DIV(R"(<Rule lens="1"><modify tab_key="a"><Tab key="a" v="9"/></modify></Rule>)"), "a b c"},
    {"KeyIsCaseSensitive", "(lens=1)", nullptr,
     DIV(R"(<Rule lens="1"><Delete tab_key="A"/></Rule>)"), "a b c"},
    {"TabWithoutKeyIsNeverMatched", "(lens=1)", R"(<Style><Tab v="1"/><Tab key="" v="2"/></Style>)",
     DIV(R"(<Rule lens="1"><Delete tab_key=""/></Rule>)"), "?/1"},
    {"UnknownTabKeyChangesNothing", "(lens=1)", nullptr,
     DIV(R"(<Rule lens="1"><Modify tab_key="zz"><Tab key="zz"/></Modify></Rule>)"), "a b c"},
    {"OperationWithoutTabKeyChangesNothing", "(lens=1)", nullptr,
     DIV(R"(<Rule lens="1"><Delete/><Modify><Tab key="x"/></Modify></Rule>)"), "a b c"},
    {"ModifyAndAddAfterWithoutNewTabChangeNothing", "(lens=1)", nullptr,
     DIV(R"(<Rule lens="1"><Modify tab_key="a"><!-- none --></Modify><AddAfter tab_key="b"/></Rule>)"),
     "a b c"},
    {"NewTabIsCopiedWholeWhateverItsKey", "(lens=1)", nullptr,
     DIV(R"(<Rule lens="1"><Modify tab_key="b"><Pane key="z" v="3"><Item/></Pane></Modify></Rule>)"),
     "a Pane:z/3 c"},
    {"RuleEditsWhatAnEarlierRuleLeft", "(lens=1)(iris=0)", nullptr,
     DIV(R"(<Rule lens="1"><AddAfter tab_key="c"><Tab key="n" v="1"/></AddAfter></Rule>)"
         R"(<Rule iris="0"><Modify tab_key="n"><Tab key="n" v="2"/></Modify></Rule>)"),
     "a b c n/2"},
};

INSTANTIATE_TEST_SUITE_P(StyleMerge, StyleMergeRuleTest, ::testing::ValuesIn(kMergeCases),
                         [](const ::testing::TestParamInfo<MergeCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(StyleMergeTest, HandsBackThePrintedFormOfTheDocument) {
    const char* style =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- page -->\n"
        "<Style version='1'>\n"
        "  <Tab key=\"a\" label=\"A &amp; B\">\n"
        "    <Item id=\"1\" value=\"2\"></Item>\n"
        "  </Tab>\n"
        "  <Tab key=\"b\"><Text>hello</Text></Tab>\n"
        "</Style>\n";
    std::string text =
        merged("(lens=1)", style,
               DIV(R"(<Rule lens="1"><AddAfter tab_key="a"><Tab key="c"/></AddAfter></Rule>)"));
    EXPECT_EQ(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
        "<!-- page -->\n"
        "<Style version=\"1\">\n"
        "    <Tab key=\"a\" label=\"A &amp; B\">\n"
        "        <Item id=\"1\" value=\"2\" />\n"
        "    </Tab>\n"
        "    <Tab key=\"c\" />\n"
        "    <Tab key=\"b\">\n"
        "        <Text>hello</Text>\n"
        "    </Tab>\n"
        "</Style>\n",
        text);
}

TEST_F(StyleMergeTest, StyleWithoutTabsReportsEachOperationAndStaysAsItWas) {
    testing::internal::CaptureStdout();
    std::string text = merged("(lens=1)", "<Style/>",
                              DIV(R"(<Rule lens="1"><Modify tab_key="a"><Tab key="a"/></Modify>)"
                                  R"(<AddAfter tab_key="a"><Tab key="n"/></AddAfter>)"
                                  R"(<Delete tab_key="a"/></Rule>)"));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(3u, countOf(out, kNoTab));
    EXPECT_EQ("<Style />\n", text);
}

TEST_F(StyleMergeTest, RuleWithoutOperationsIsReportedAndSkipped) {
    testing::internal::CaptureStdout();
    std::string text = merged(
        "(lens=1)", kThreeTabs,
        DIV(R"(<Rule lens="1">no operation</Rule><Rule lens="1"><Delete tab_key="c"/></Rule>)"));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(1u, countOf(out, kNoOperation));
    EXPECT_EQ("a b", tabsOf(text));
}

TEST_F(StyleMergeTest, ScratchFileHoldsTheMergedTextAndNothingElseIsLeft) {
    writeFile(kScratch, "stale text of an earlier merge, longer than the new one");
    std::string text =
        merged("(lens=1)", kThreeTabs, DIV(R"(<Rule lens="1"><Delete tab_key="a"/></Rule>)"));
    EXPECT_EQ("b c", tabsOf(text));
    EXPECT_EQ(text, readFile(kScratch));
    EXPECT_EQ(std::vector<std::string>{"merge_style.xml"}, tmpEntries());
}

TEST_F(StyleMergeTest, TwoThreadsMergingAtOnceEachGetTheirOwnResult) {
    // Large enough that the writes of the two merges overlap in time.
    std::string wide = "<Style><Tab key=\"a\"/><Tab key=\"b\"/>";
    for (int i = 0; i < 300; ++i) {
        wide += "<Tab key=\"w" + std::to_string(i) + "\" label=\"wide tab\"/>";
    }
    wide += "</Style>";
    const std::string narrow = R"(<Other><Tab key="b"/><Tab key="y"/></Other>)";
    const char* div = DIV(R"(<Rule lens="1"><Delete tab_key="b"/></Rule>)");
    const std::string wantWide = merged("(lens=1)", wide.c_str(), div);
    const std::string wantNarrow = merged("(lens=1)", narrow.c_str(), div);
    ASSERT_EQ("y", tabsOf(wantNarrow));
    ASSERT_EQ(0u, wantWide.find("<Style>\n    <Tab key=\"a\" />\n    <Tab key=\"w0\""));

    std::atomic<int> mismatches(0);
    for (int round = 0; round < 50; ++round) {
        std::atomic<int> ready(0);
        auto mergeOnce = [&](const std::string* style, const std::string* want) {
            ++ready;
            while (ready.load() < 2) {
                std::this_thread::yield();
            }
            if (merged("(lens=1)", style->c_str(), div) != *want) {
                ++mismatches;
            }
        };
        std::thread one(mergeOnce, &wide, &wantWide);
        std::thread two(mergeOnce, &narrow, &wantNarrow);
        one.join();
        two.join();
    }
    EXPECT_EQ(0, mismatches.load());
    EXPECT_EQ(std::vector<std::string>{"merge_style.xml"}, tmpEntries());
}

struct HostileCase {
    const char* name;
    const char* style;      // may be null
    const char* diversity;  // may be null
    const char* tabs;       // null: whatever part of the style parsed
};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class StyleMergeHostileTest : public StyleMergeTest,
                              public ::testing::WithParamInterface<HostileCase> {};

TEST_P(StyleMergeHostileTest, LeavesATerminatedTextEqualToTheScratchFile) {
    const HostileCase& c = GetParam();
    testing::internal::CaptureStdout();
    std::string text = merged("(sensor=imx385)(lens=1)", c.style, c.diversity);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile(kScratch), text);
    if (c.tabs) {
        EXPECT_EQ(c.tabs, tabsOf(text));
    }
}

const HostileCase kHostileCases[] = {
    {"GarbageStyle", "<<<&&&>>> not a document",
     DIV(R"(<Rule lens="1"><Delete tab_key="a"/></Rule>)"), ""},
    {"EmptyStyle", "", DIV(R"(<Rule lens="1"><Delete tab_key="a"/></Rule>)"), ""},
    {"NullStyle", nullptr, DIV(R"(<Rule lens="1"><Delete tab_key="a"/></Rule>)"), ""},
    {"UnclosedStyle", R"(<Style><Tab key="a"><Tab key="b">)",
     DIV(R"(<Rule lens="1"><Delete tab_key="a"/></Rule>)"), nullptr},
    {"BinaryStyle", "\x01\x02\xff\xfe<\x80\x81", nullptr, nullptr},
    {"GarbageDiversity", kThreeTabs, "<<Rule lens=1>>", "a b c"},
    {"EmptyDiversity", kThreeTabs, "", "a b c"},
    {"NullDiversity", kThreeTabs, nullptr, "a b c"},
    {"DiversityOfTextOnly", kThreeTabs, "<StyleDiversity>only text</StyleDiversity>", "a b c"},
    {"OddSelectorValues", kThreeTabs,
     DIV(R"(<Rule sensor=",,,"><Delete tab_key="a"/></Rule>)"
         R"(<Rule sensor="&lt;&quot;&gt;&amp;"><Delete tab_key="b"/></Rule>)"
         R"(<Rule sensor="xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx">)"
         R"(<Delete tab_key="c"/></Rule>)"
         R"(<Rule sensor_with_a_name_far_longer_than_any_buffer_of_the_module="1"/>)"),
     "a b c"},
    {"OperationsOnAMissingStyleRoot", "<!-- only a comment -->",
     DIV(R"(<Rule lens="1"><Modify tab_key="a"><Tab key="a"/></Modify><Delete/></Rule>)"), ""},
};

INSTANTIATE_TEST_SUITE_P(StyleMerge, StyleMergeHostileTest, ::testing::ValuesIn(kHostileCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(StyleMergeTest, MissingArgumentsAreReportedWithoutEffect) {
    char div[] = DIV(R"(<Rule lens="1"><Delete tab_key="a"/></Rule>)");
    char* ui_style = strdup(kThreeTabs);
    ModuleConfig config;
    memset(&config, 0, sizeof(config));
    testing::internal::CaptureStdout();
    EXPECT_EQ(SNS_SUCCESS, mergeStyle(nullptr, &ui_style, div));
    EXPECT_EQ(SNS_SUCCESS, mergeStyle(&config, nullptr, div));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(2u, countOf(out, "[sensor assert]"));
    EXPECT_STREQ(kThreeTabs, ui_style);
    EXPECT_FALSE(exists(kScratch));
    free(ui_style);
}

TEST_F(StyleMergeTest, UpdateStyleTabWithoutRootReportsAndReturnsZero) {
    StyleDocument empty;
    TiXmlElement tab("Tab");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, updateStyleTab(&empty, "AddAfter", "a", &tab));
    EXPECT_EQ(0, updateStyleTab(nullptr, "Delete", "a", nullptr));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(2u, countOf(out, kNoTab));
    EXPECT_EQ(nullptr, empty.RootElement());
}

TEST_F(StyleMergeTest, UpdateStyleTabIgnoresMissingOperationAndNewTab) {
    StyleDocument doc;
    ASSERT_TRUE(doc.LoadMem(kThreeTabs, TIXML_ENCODING_UTF8));
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, updateStyleTab(&doc, nullptr, "a", nullptr));
    EXPECT_EQ(0, updateStyleTab(&doc, "Modify", "a", nullptr));
    EXPECT_EQ(0, updateStyleTab(&doc, "AddAfter", "b", nullptr));
    EXPECT_EQ(0, updateStyleTab(&doc, "Delete", nullptr, nullptr));
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    std::string text;
    doc.getXmlString(text);
    EXPECT_EQ("a b c", tabsOf(text));
}

}  // namespace
