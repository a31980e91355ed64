// What the fuzzers found stays fixed: every seed of fuzz/corpus/<target>/ and
// every input kept in fuzz/regressions/<target>/ runs through the target's
// body (fuzz/FuzzEntries.h) as libFuzzer ran it. A fault ends the test
// process, or is reported by the sanitizers in their build. Beside them, the
// text checks the style parser is given before it sees a text.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/SandboxRoot.h"
#include "fuzz/FuzzEntries.h"
#include "platform/ia_sim.h"
#include "sensor/StyleDocument.h"

namespace {

// clang-format off
const std::map<std::string, int (*)(const uint8_t*, size_t)> kTargets = {
    {"keyval_text", fuzzKeyvalText}, {"key_lists", fuzzKeyLists}, {"detail_text", fuzzDetailText},
    {"set_parameters", fuzzSetParameters}, {"style_merge", fuzzStyleMerge},
    {"param_files", fuzzParamFiles}, {"dynamic_style", fuzzDynamicStyle}};
// clang-format on

// Each target keeps seeds.
TEST(FuzzRegressions, SeedsAndKeptInputsRunClean) {
    for (const auto& target : kTargets) {
        iasim::reset();
        const std::string scratch = makeSandboxDirectory("fuzz-" + target.first + "-");
        setFuzzScratchBase(scratch);
        for (const std::string kind : {"corpus", "regressions"}) {
            const std::string dir = std::string(SENSOR_FUZZ_DIR) + "/" + kind + "/" + target.first;
            EXPECT_TRUE(kind == "regressions" || !dirEntries(dir).empty()) << target.first;
            for (const std::string& name : dirEntries(dir)) {
                std::ifstream in(dir + "/" + name, std::ios::binary);
                const std::string input{std::istreambuf_iterator<char>(in), {}};
                const uint8_t* data = reinterpret_cast<const uint8_t*>(input.data());
                int result = -1;
                stdoutOf([&] { result = target.second(data, input.size()); });
                EXPECT_EQ(0, result) << kind << "/" << target.first << "/" << name;
            }
        }
        stdoutOf([] { fuzzShutdown(); });
        setFuzzScratchBase("");
        removeTree(scratch);
    }
}

// levels elements, each holding the next; the innermost holds inner.
std::string around(int levels, const std::string& inner) {
    std::string open, close;
    for (int i = 0; i < levels; ++i) open += "<a>", close += "</a>";
    return open + inner + close;
}

// The text checks the style parser is given before it sees a text refuse
// nesting deeper than it can take and cut characters.
TEST(StyleTextChecks, LoadOnlyWhatTheParserCanTake) {
    const int kMax = STYLE_NESTING_MAX;
    const std::string open = around(kMax, "").substr(0, 3 * kMax),
                      decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    // clang-format off
    const struct { std::string text; bool loads; } cases[] = {
        {decl + around(kMax, ""), true}, {decl + around(kMax + 1, ""), false},
        {around(100000, "").substr(0, 300000), false}, {around(kMax - 1, "<b x='/'/>"), true}, {around(kMax, "<b/>"), false},
        // Markup inside quoted values, comments and CDATA opens nothing.
        {"<r x=\"" + open + "\"><!--" + open + "--><![CDATA[" + open + "]]></r>", true},
        // Only the version, encoding and standalone values of the declaration
        // are quoted for the parser; any other quote ends nothing.
        {"<?xml bogus=\"><r/>", true}, {"<?xml bogus=\">" + around(kMax + 1, ""), false},
        {"<?xml version=\"><!--\"?>" + around(kMax + 1, ""), false},
        // Multi-byte characters: whole, cut at the end, cut before markup.
        {"<r label=\"\xC3\xA9t\xE2\x82\xAC\"/>", true}, {"<r label=\"x\">\xE2\x82", false}, {"<r>\xE2</r>", false}};
    // clang-format on
    for (const auto& c : cases) {
        StyleDocument doc;
        const bool loaded = doc.LoadMem(c.text.c_str(), TIXML_ENCODING_UTF8);
        EXPECT_TRUE(loaded == c.loads && (doc.RootElement() != nullptr) == c.loads)
            << c.text.substr(0, 60);
    }
}

}  // namespace
