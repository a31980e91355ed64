// The style merge as the host sees it: a style text and a style-diversity text
// go in, the printed document comes back in *ui_style and in the scratch file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <thread>

#include "fixtures/Reports.h"
#include "fixtures/SandboxRoot.h"
#include "sensor/SensorFile.h"
#include "sensor/StyleDocument.h"
#include "support/SensorDebug.h"

// A diversity text; a rule that every detail text of these tests selects; a
// rule of the given selectors that adds the tab "n" after "a", alone in a text.
#define DIV(rules) "<StyleDiversity>" rules "</StyleDiversity>"
#define RULE(operations) "<Rule lens='1'>" operations "</Rule>"
#define SEL(selectors) \
    DIV("<Rule " selectors "><AddAfter tab_key='a'><Tab key='n'/></AddAfter></Rule>")

namespace {

const char kABC[] = "<Style><Tab key='a'/><Tab key='b'/><Tab key='c'/></Style>";
const char kAA[] = "<Style><Tab key='a' v='1'/><Tab key='a' v='2'/></Style>";
const char kL1[] = "(lens=1)(iris=0)", kScratch[] = "/tmp/merge_style.xml";
const char kDeleteA[] = DIV(RULE("<Delete tab_key='a'/>"));

// The merged text; a null style or diversity is passed as null.
std::string merged(const char* detail, const char* style, const char* diversity) {
    ModuleConfig config{};
    strncpy(config.szDetail, detail, sizeof(config.szDetail) - 1);
    char* ui_style = style ? strdup(style) : nullptr;
    std::string div = diversity ? diversity : "";
    EXPECT_EQ(SNS_SUCCESS, mergeStyle(&config, &ui_style, diversity ? &div[0] : nullptr));
    const std::string text = ui_style ? ui_style : "(no style text)";
    return free(ui_style), text;
}

// The tabs of a style text: "key", "key/v" when the tab has a "v"; "?" for a missing key.
std::string tabsOf(const std::string& text) {
    StyleDocument doc;
    doc.LoadMem(text.c_str(), TIXML_ENCODING_UTF8);
    std::string tabs;
    const TiXmlElement* t = doc.RootElement() ? doc.RootElement()->FirstChildElement() : nullptr;
    for (; t; t = t->NextSiblingElement())
        tabs += " " + std::string(t->Attribute("key") ? t->Attribute("key") : "?") +
                (t->Attribute("v") ? "/" + std::string(t->Attribute("v")) : "");
    return tabs.substr(tabs.empty() ? 0 : 1);
}

using StyleMergeTest = SandboxRoot;

TEST_F(StyleMergeTest, HandsBackATerminatedTextEqualToTheScratchFile) {
    // The detail text, style and diversity, and the tabs of the merged style.
    // clang-format off
    const char* cases[][4] = {
        // Any one selector that matches selects the rule; five characters are compared.
        {kL1, kABC, SEL("lens='2' iris='0'"), "a n b c"}, {kL1, kABC, SEL(""), "a b c"},
        {"(sensor=abcdeY)", kABC, SEL("sensor='abcdeX'"), "a n b c"},
        {"(sensor=abc)", kABC, SEL("sensor='ab'"), "a b c"}, {kL1, kABC, SEL("zoom=''"), "a b c"},
        {"(sensor=b)", kABC, SEL("sensor='a,b'"), "a n b c"}, {kL1, kABC, nullptr, "a b c"},
        // Operations act on the first tab of their key, in document order.
        {kL1, kABC, DIV(RULE("<AddAfter tab_key='a'><Tab key='n' v='1'/></AddAfter>"
                             "<Modify tab_key='n'><Tab key='n' v='2'/></Modify>")), "a n/2 b c"},
        {kL1, kABC, DIV(RULE("<modify tab_key='a'><Tab key='a' v='9'/></modify>")), "a b c"},
        {kL1, "<Style><Tab v='1'/><Tab key=''/></Style>", DIV(RULE("<Delete tab_key=''/>")), "?/1"},
        {kL1, kABC, DIV(RULE("<Delete/><Modify tab_key='a'><!-- none --></Modify>")), "a b c"},
        {kL1, kABC, DIV(RULE("<AddAfter tab_key='c'><Tab key='n' v='1'/></AddAfter>")
                        "<Rule iris='0'><Modify tab_key='n'><Tab key='n' v='2'/></Modify></Rule>"),
         "a b c n/2"}, {kL1, kAA, kDeleteA, "a/2"}, {kL1, kABC, DIV(RULE("<Delete tab_key='z'/>")), "a b c"},
        // Hostile inputs may report; the merged text matches the scratch file all the same.
        {kL1, "<<<&&&>>> not a document", kDeleteA, ""}, {kL1, nullptr, kDeleteA, ""}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c[2] ? c[2] : "(null)");
        // A longer earlier merge is replaced; an empty text is not written.
        *c[3] ? writeFile(kScratch, std::string(4000, 's')) : removeTree(hostPath(kScratch));
        std::string text;
        stdoutOf([&] { text = merged(c[0], c[1], c[2]); });
        EXPECT_EQ(readFile(kScratch), text);
        EXPECT_EQ(c[3], tabsOf(text));
    }
    // The file's form, which keeps a text beside elements on its line.
    EXPECT_EQ("<Style>a\n    <Tab key=\"a\" />\n</Style>\n",
              merged(kL1, "<Style>a<Tab key='a'/></Style>", nullptr));
    // Where no scratch file can be written the merged text is handed back all the same.
    removeTree(hostPath("/tmp")), writeFile("/tmp", "");  // no directory for the scratch file
    std::string text;
    EXPECT_TRUE(contains(stdoutOf([&] { text = merged(kL1, kABC, kDeleteA); }), "loadFromFile("));
    EXPECT_EQ("b c", tabsOf(text));
}

TEST_F(StyleMergeTest, TwoThreadsMergingAtOnceEachGetTheirOwnResult) {
    // Large enough that the writes of the two merges overlap in time.
    std::string wide = "<Style><Tab key='a'/>";
    for (int i = 0; i < 300; ++i) wide += "<Tab key='w" + std::to_string(i) + "' label='wide'/>";
    const std::string styles[2] = {wide + "</Style>", "<O><Tab key='a'/><Tab key='y'/></O>"};
    auto merge = [&](int which) { return merged(kL1, styles[which].c_str(), kDeleteA); };
    const std::string wanted[2] = {merge(0), merge(1)};
    ASSERT_EQ("y", tabsOf(wanted[1]));
    std::atomic<int> mismatches(0);
    auto mergeMany = [&](int w) {
        for (int i = 0; i < 50; ++i) mismatches += merge(w) != wanted[w];
    };
    std::thread one(mergeMany, 0), two(mergeMany, 1);
    one.join(), two.join();
    EXPECT_EQ(0, mismatches.load());
}

}  // namespace
