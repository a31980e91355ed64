#include "BenchStage.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/HostSeams.h"
#include "platform/ia_sim.h"

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The pairs of a pair text, in order.
std::vector<KeyVal> pairsOf(const std::string& text) {
    std::vector<KeyVal> pairs(static_cast<size_t>(std::count(text.begin(), text.end(), '(')));
    u32 count = 0;
    keyval_str2st(text, pairs.data(), &count);
    pairs.resize(count);
    return pairs;
}

}  // namespace

BenchStage::BenchStage() : sandbox("box"), module(sandbox.moduleFor(1)) {
    iasim::reset();
    controller.setChannelID(1);
    controller.setVideoStreamModule(&video);
}

bool BenchStage::ensureInit() {
    if (!inited) {
        platform::setWaitScale(0);
        inited = controller.init(module);
        platform::setWaitScale(100);
        strCurrentSet.clear();
        controller.getAllParameters(strCurrentSet);
        nRecords = static_cast<u32>(pairsOf(strCurrentSet).size());
        strMergedStyle = fileText(sandbox.hostPath("/tmp/merge_style.xml"));
    }
    return inited;
}

void BenchStage::ensureUinit() {
    if (inited) {
        controller.uinit();
        inited = false;
    }
}

int BenchStage::valueOf(u32 key) {
    int nVal = 0;
    controller.getParameter(static_cast<int>(key), nVal);
    return nVal;
}

int BenchStage::differingPairs(int a, int b) {
    std::string text[2];
    controller.setParamScheme(a);
    controller.getAllParameters(text[0]);
    controller.setParamScheme(b);
    controller.getAllParameters(text[1]);
    std::vector<KeyVal> first = pairsOf(text[0]);
    std::vector<KeyVal> second = pairsOf(text[1]);
    int differing = static_cast<int>(std::max(first.size(), second.size()) -
                                     std::min(first.size(), second.size()));
    for (size_t i = 0; i < std::min(first.size(), second.size()); ++i) {
        differing += first[i].key != second[i].key || first[i].value != second[i].value;
    }
    return differing;
}

bool BenchStage::prepareSchemes() {
    controller.setParamScheme(0);
    nSchemeValue[0] = valueOf(BENCH_SCHEME_KEY);
    nSchemeValue[1] = nSchemeValue[0] == 50 ? 60 : 50;
    controller.setParamScheme(1);
    controller.setParameter(BENCH_SCHEME_KEY, nSchemeValue[1], true);
    controller.flush();
    return schemesOneApart();
}

bool BenchStage::schemesOneApart() {
    bool oneApart = differingPairs(0, 1) == 1;
    controller.setParamScheme(0);
    return oneApart;
}

bool BenchStage::wholeSetIsUnchanged() {
    iasim::clearCalls();
    controller.setParameters(strCurrentSet, true);
    return iasim::calls().empty();
}

void trimProcessorLog(uint64_t calls) {
    if ((calls & 1023) == 0) {
        iasim::clearCalls();
    }
}
