// What every benchmark works on: one controller of camera 1 on the sample
// box camera disk, against the simulated processor, at debug level 1 (no
// sign file).
#ifndef BENCH_BENCHSTAGE_H
#define BENCH_BENCHSTAGE_H

#include <string>

#include "CameraSandbox.h"
#include "platform/VideoStreamModule.h"
#include "sensor/ISensorController.h"

// Keys of the first and the last row of the key-command map, and the key the
// two benchmark schemes differ in.
enum : u32 { BENCH_FIRST_ROW_KEY = 34, BENCH_LAST_ROW_KEY = 224, BENCH_SCHEME_KEY = 34 };

struct BenchStage {
    BenchStage();

    // Initialises the controller unless it is (its tick not slept); false
    // when init failed.
    bool ensureInit();
    void ensureUinit();
    // The current value of a key in the current scheme.
    int valueOf(u32 key);
    // Pairs in which the current sets of schemes a and b differ.
    int differingPairs(int a, int b);
    // Schemes 0 and 1 differ in one pair; scheme 0 is current afterwards.
    bool schemesOneApart();
    // Sets scheme 1 apart from scheme 0 in BENCH_SCHEME_KEY alone and saves
    // it, so every later init finds it so; scheme 0 is current afterwards.
    // False when the two differ in anything else.
    bool prepareSchemes();
    // True when the current set, given back as pair text, reaches no handler.
    bool wholeSetIsUnchanged();

    CameraSandbox sandbox;
    VideoStreamModule video;
    ModuleConfigure module;
    ISensorController controller;
    bool inited = false;
    // The current set as pair text, every pair as recorded.
    std::string strCurrentSet;
    u32 nRecords = 0;
    // The merged style text that init leaves behind.
    std::string strMergedStyle;
    // The two values of BENCH_SCHEME_KEY in schemes 0 and 1.
    int nSchemeValue[2] = {0, 0};
};

// Called every few calls of the processor: the simulator logs every call.
void trimProcessorLog(uint64_t calls);

#endif
