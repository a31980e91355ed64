// What the fuzzers found stays fixed: every seed of fuzz/corpus/<target>/ and
// every input kept in fuzz/regressions/<target>/ runs through the target's
// body (fuzz/FuzzEntries.h) as libFuzzer ran it. A fault ends the test
// process, or is reported by the sanitizers in their build. Beside them, the
// text checks the style parser is given before it sees a text.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/DirEntries.h"
#include "fixtures/Reports.h"
#include "fixtures/SandboxRoot.h"
#include "fuzz/FuzzEntries.h"
#include "platform/ia_sim.h"
#include "sensor/StyleDocument.h"

namespace {

struct FuzzTarget {
    std::string name;
    int (*entry)(const uint8_t*, size_t);
};

const FuzzTarget kTargets[] = {
    {"keyval_text", fuzzKeyvalText}, {"set_parameters", fuzzSetParameters},
    {"key_lists", fuzzKeyLists},     {"detail_text", fuzzDetailText},
    {"style_merge", fuzzStyleMerge}, {"dynamic_style", fuzzDynamicStyle},
    {"param_files", fuzzParamFiles},
};

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void PrintTo(const FuzzTarget& target, std::ostream* os) {
    *os << target.name;
}

bool isKnownTarget(const std::string& name) {
    for (const FuzzTarget& target : kTargets) {
        if (target.name == name) {
            return true;
        }
    }
    return false;
}

class FuzzRegressions : public testing::TestWithParam<FuzzTarget> {
  protected:
    void SetUp() override {
        iasim::reset();
        m_strScratch = makeSandboxDirectory("fuzz-" + GetParam().name + "-");
        setFuzzScratchBase(m_strScratch);
    }
    void TearDown() override {
        stdoutOf([] { fuzzShutdown(); });
        setFuzzScratchBase("");
        removeTree(m_strScratch);
    }

    // Runs every file of <fuzz>/<kind>/<target>; the number of files run.
    size_t runAll(const std::string& kind) {
        std::string dir = std::string(SENSOR_FUZZ_DIR) + "/" + kind + "/" + GetParam().name;
        size_t count = 0;
        for (const std::string& name : dirEntries(dir)) {
            std::string bytes = fileBytes(dir + "/" + name);
            int result = -1;
            stdoutOf([&] {
                result =
                    GetParam().entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            });
            EXPECT_EQ(0, result) << kind << "/" << GetParam().name << "/" << name;
            ++count;
        }
        return count;
    }

    std::string m_strScratch;
};

TEST_P(FuzzRegressions, SeedsAndKeptInputsRunClean) {
    EXPECT_GT(runAll("corpus"), 0u) << "a target keeps seeds";
    runAll("regressions");
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressions, testing::ValuesIn(kTargets), CaseName());

TEST(FuzzInputDirectories, NameKnownTargets) {
    for (const char* kind : {"corpus", "regressions"}) {
        std::vector<std::string> names = dirEntries(std::string(SENSOR_FUZZ_DIR) + "/" + kind);
        EXPECT_FALSE(std::string(kind) == "corpus" && names.empty());
        for (const std::string& name : names) {
            EXPECT_TRUE(isKnownTarget(name)) << kind << "/" << name;
        }
    }
}

// --- style text checks --------------------------------------------------------

// levels elements, each holding the next; the innermost holds inner.
std::string around(int levels, const std::string& inner) {
    std::string text;
    for (int i = 0; i < levels; ++i) {
        text += "<a>";
    }
    text += inner;
    for (int i = 0; i < levels; ++i) {
        text += "</a>";
    }
    return text;
}

std::string unclosed(int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) {
        text += "<a>";
    }
    return text;
}

struct TextCase {
    std::string name;
    std::string text;
    bool loads;
};

void PrintTo(const TextCase& textCase, std::ostream* os) {
    *os << textCase.name;
}

class StyleTextChecks : public testing::TestWithParam<TextCase> {};

TEST_P(StyleTextChecks, LoadOnlyWhatTheParserCanTake) {
    StyleDocument doc;
    EXPECT_EQ(GetParam().loads, doc.LoadMem(GetParam().text.c_str(), TIXML_ENCODING_UTF8));
    EXPECT_EQ(GetParam().loads, doc.RootElement() != nullptr);
}

const int kMax = STYLE_NESTING_MAX;
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

INSTANTIATE_TEST_SUITE_P(
    Texts, StyleTextChecks,
    testing::Values(TextCase{"NestedToTheBound", kDeclaration + around(kMax, ""), true},
                    TextCase{"NestedPastTheBound", kDeclaration + around(kMax + 1, ""), false},
                    TextCase{"NestedPastTheStack", unclosed(100000), false},
                    TextCase{"EmptyElementAtTheBound", around(kMax - 1, "<b x='/'/>"), true},
                    TextCase{"EmptyElementPastTheBound", around(kMax, "<b/>"), false},
                    // Markup inside quoted values, comments and CDATA opens nothing.
                    TextCase{"HiddenMarkupOpensNothing",
                             "<r x=\"" + unclosed(kMax) + "\"><!--" + unclosed(kMax) +
                                 "--><![CDATA[" + unclosed(kMax) + "]]></r>",
                             true},
                    // Only the version, encoding and standalone values of the declaration
                    // are quoted for the parser; any other quote ends nothing.
                    TextCase{"DeclarationEndsAtItsBracket", "<?xml bogus=\"><r/>", true},
                    TextCase{"DeclarationBogusQuoteHidesNoLevels",
                             "<?xml bogus=\">" + around(kMax + 1, ""), false},
                    TextCase{"DeclarationVersionHidesNoLevels",
                             "<?xml version=\"><!--\"?>" + around(kMax + 1, ""), false},
                    TextCase{"WholeMultiByteCharacters", "<r label=\"\xC3\xA9t\xE2\x82\xAC\"/>",
                             true},
                    TextCase{"MultiByteCharacterCutAtTheEnd", "<r label=\"x\">\xE2\x82", false},
                    TextCase{"MultiByteCharacterCutBeforeMarkup", "<r>\xE2</r>", false}),
    CaseName());

// The sample documents of every device family still load.
TEST(StyleTextChecks, SampleDocumentsLoad) {
    const std::string dir = std::string(SENSOR_DATA_DIR) + "/hd1/moduleConfig/sensorConfig/";
    for (const char* name :
         {"style/Style.xml", "style/Style_dome.xml", "style/Style_Thermal.xml",
          "styleDiversity/StyleDiversity.xml", "styleDiversity/StyleDiversity_dome.xml",
          "styleDiversity/StyleDiversity_Thermal.xml"}) {
        StyleDocument doc;
        EXPECT_TRUE(doc.LoadMem(fileBytes(dir + name).c_str(), TIXML_ENCODING_UTF8)) << name;
    }
}

}  // namespace
