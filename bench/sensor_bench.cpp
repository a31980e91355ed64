// The module's costs against the floor of each job, measured side by side in
// one run, printed as one table on standard output (the benchmark runs
// themselves go to standard error; the module's own output is discarded).
//
//   sensor_bench [--library-armhf=PATH] [--library-arm64=PATH] [--library-mipsel=PATH]
//                [benchmark flags]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tinyxml.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "BenchStage.h"
#include "CountingAllocator.h"
#include "FigureTable.h"
#include "PairedTiming.h"
#include "platform/HostSeams.h"
#include "platform/ShellQuote.h"
#include "platform/ia_ioctrl.h"
#include "platform/ia_sim.h"
#include "support/SensorDebug.h"

namespace {

const int kRepetitions = 9;
const double kMinTime = 0.2;
const int kInitIterations = 10;
const int kTickRepetitions = 3;  // init with its one-second tick: 3 runs
const uint64_t kCountedCalls = 2000;

BenchStage* g_pStage = nullptr;

// The stage with its controller initialised: the benchmarks run in any order.
BenchStage& stage() {
    g_pStage->ensureInit();
    return *g_pStage;
}

// --- figures beside their floors -------------------------------------------

// Calls per timed batch: batches of some hundred microseconds. The scheme
// switch needs an even count, so that scheme 0 is current after each batch.
const int kPairBatch = 32;
const int kStyleBatch = 1;

// One pair on the array path, applied; its floor: the handler alone.
void pairOnArrayPath(benchmark::State& state, u32 key) {
    BenchStage& s = stage();
    const int value = s.valueOf(key);
    uint64_t calls = 0;
    runPaired(
        state, kPairBatch,
        [&] {
            KeyVal pair = {key, value};
            benchmark::DoNotOptimize(s.controller.setParameters(&pair, 1, false));
            trimProcessorLog(++calls);
        },
        [&] {
            int32_t word = value;
            benchmark::DoNotOptimize(s.controller.doIaCmd(key, IA_CMD_OPT_SET, &word));
            trimProcessorLog(++calls);
        });
}

void BM_PairFirstRow(benchmark::State& state) {
    pairOnArrayPath(state, BENCH_FIRST_ROW_KEY);
}

void BM_PairLastRow(benchmark::State& state) {
    pairOnArrayPath(state, BENCH_LAST_ROW_KEY);
}

// The whole current set as pair text, every pair unchanged; its floor: the
// parse of that text.
void BM_WholeSet(benchmark::State& state) {
    BenchStage& s = stage();
    const std::string text = s.strCurrentSet;
    std::vector<KeyVal> pairs(s.nRecords + 1);
    runPaired(
        state, kPairBatch,
        [&] { benchmark::DoNotOptimize(s.controller.setParameters(text, true)); },
        [&] {
            u32 count = 0;
            keyval_str2st_bounded(text, pairs.data(), &count, s.nRecords);
            benchmark::DoNotOptimize(count);
            benchmark::ClobberMemory();
        });
}

// A switch between schemes 0 and 1, one key apart; its floor: setting that
// key (to a new value each time, in scheme 0).
void BM_SchemeSwitch(benchmark::State& state) {
    BenchStage& s = stage();
    int nextScheme = 1;
    uint64_t sets = 0;
    uint64_t calls = 0;
    runPaired(
        state, kPairBatch,
        [&] {
            benchmark::DoNotOptimize(s.controller.setParamScheme(nextScheme));
            nextScheme ^= 1;
            trimProcessorLog(++calls);
        },
        [&] {
            int value = s.nSchemeValue[(sets++ & 1) == 0 ? 1 : 0];
            benchmark::DoNotOptimize(s.controller.setParameter(BENCH_SCHEME_KEY, value, true));
            trimProcessorLog(++calls);
        });
    if (!s.schemesOneApart()) {
        state.SkipWithError("schemes 0 and 1 no longer one key apart");
    }
}

// The style page; its floor: parsing and printing the merged style text.
void BM_StylePage(benchmark::State& state) {
    BenchStage& s = stage();
    const std::string merged = s.strMergedStyle;
    uint64_t calls = 0;
    runPaired(
        state, kStyleBatch,
        [&] {
            benchmark::DoNotOptimize(s.controller.getUIStyleFile());
            trimProcessorLog(++calls);
        },
        [&] {
            TiXmlDocument doc;
            doc.Parse(merged.c_str(), nullptr, TIXML_ENCODING_UTF8);
            TiXmlPrinter printer;
            doc.Accept(&printer);
            std::string printed = printer.Str();
            benchmark::DoNotOptimize(printed);
        });
}

// One reading of the sign file, which every operation that reports makes once.
void BM_ReadSignFile(benchmark::State& state) {
    stage();
    for (auto _ : state) {
        updateDebugLevel();
    }
}

// --- init and uinit ----------------------------------------------------------

// Init with all files present; percent scales init's own tick sleep.
void initTimed(benchmark::State& state, int percent) {
    BenchStage& s = *g_pStage;
    s.ensureUinit();
    for (auto _ : state) {
        platform::setWaitScale(percent);
        benchmark::DoNotOptimize(s.controller.init(s.module));
        state.PauseTiming();
        platform::setWaitScale(0);  // the thread's next ticks do not sleep
        s.controller.uinit();
        iasim::clearCalls();
        state.ResumeTiming();
    }
    platform::setWaitScale(100);
}

void BM_InitWithoutTick(benchmark::State& state) {
    initTimed(state, 0);
}

void BM_InitWithTick(benchmark::State& state) {
    initTimed(state, 100);
}

void BM_Uinit(benchmark::State& state) {
    BenchStage& s = *g_pStage;
    s.ensureUinit();
    platform::setWaitScale(0);
    for (auto _ : state) {
        state.PauseTiming();
        s.controller.init(s.module);
        iasim::clearCalls();
        state.ResumeTiming();
        s.controller.uinit();
    }
    platform::setWaitScale(100);
}

void registerAll() {
    typedef void (*Body)(benchmark::State&);
    const struct {
        const char* name;
        Body body;
    } timed[] = {{"BM_PairFirstRow", BM_PairFirstRow}, {"BM_PairLastRow", BM_PairLastRow},
                 {"BM_WholeSet", BM_WholeSet},         {"BM_SchemeSwitch", BM_SchemeSwitch},
                 {"BM_StylePage", BM_StylePage},       {"BM_ReadSignFile", BM_ReadSignFile}};
    for (const auto& t : timed) {
        benchmark::RegisterBenchmark(t.name, t.body)->MinTime(kMinTime);
    }
    benchmark::RegisterBenchmark("BM_InitWithoutTick", BM_InitWithoutTick)
        ->Iterations(kInitIterations);
    benchmark::RegisterBenchmark("BM_Uinit", BM_Uinit)->Iterations(kInitIterations);
    benchmark::RegisterBenchmark("BM_InitWithTick", BM_InitWithTick)
        ->Iterations(1)
        ->Repetitions(kTickRepetitions);
}

// --- counted figures ---------------------------------------------------------

// Allocations of this thread per call, over kCountedCalls calls made after as
// many calls that bring every buffer of the stage (the simulator's call log
// among them) to its size.
template <class Call>
double allocationsPerCall(Call call) {
    for (uint64_t i = 1; i <= kCountedCalls; ++i) {
        call(i);
    }
    iasim::clearCalls();
    uint64_t before = benchalloc::threadAllocations();
    for (uint64_t i = 1; i <= kCountedCalls; ++i) {
        call(i);
    }
    return static_cast<double>(benchalloc::threadAllocations() - before) / kCountedCalls;
}

// Per call of one pair on the array path, and of its handler alone (the
// simulated processor logs every call).
struct PairAllocations {
    double perPair;
    double perHandler;
};

PairAllocations countPairAllocations(u32 key) {
    BenchStage& s = stage();
    const int value = s.valueOf(key);
    double perPair = allocationsPerCall([&](uint64_t i) {
        KeyVal pair = {key, value};
        s.controller.setParameters(&pair, 1, false);
        trimProcessorLog(i);
    });
    double perHandler = allocationsPerCall([&](uint64_t i) {
        int32_t word = value;
        s.controller.doIaCmd(key, IA_CMD_OPT_SET, &word);
        trimProcessorLog(i);
    });
    return {perPair, perHandler};
}

// Per call of the whole set as text, unchanged.
double countWholeSetAllocations() {
    BenchStage& s = stage();
    const std::string text = s.strCurrentSet;
    return allocationsPerCall([&](uint64_t) { s.controller.setParameters(text, true); });
}

struct HeapFigures {
    long long held;
    long long initPeak;
};

// A fresh controller, constructed and initialised (its tick not slept):
// the bytes it holds afterwards and the most held above the start during init.
HeapFigures measureHeap() {
    BenchStage& s = stage();
    s.ensureUinit();
    iasim::clearCalls();
    platform::setWaitScale(0);
    long long start = benchalloc::liveBytes();
    ISensorController* controller = new ISensorController();
    controller->setChannelID(1);
    controller->setVideoStreamModule(&s.video);
    benchalloc::resetPeak();
    long long beforeInit = benchalloc::liveBytes();
    controller->init(s.module);
    long long peak = benchalloc::peakBytes();
    iasim::clearCalls();  // the simulator's log is not the controller's
    long long held = benchalloc::liveBytes() - start;
    delete controller;
    platform::setWaitScale(100);
    return {held, peak - beforeInit};
}

long long flushBytes() {
    BenchStage& s = stage();
    s.ensureInit();
    unsigned long long before = platform::fileBytesWritten();
    s.controller.flush();
    return static_cast<long long>(platform::fileBytesWritten() - before);
}

std::string allocationText(double perCall) {
    char text[48];
    snprintf(text, sizeof(text), "%.2f per call", perCall);
    return text;
}

// The camera processors a cross build targets: Debian's architecture, the
// triplet of its tools, and what the table calls it.
struct CameraTarget {
    const char* arch;
    const char* triplet;
    const char* name;
};
const CameraTarget kCameraTargets[] = {
    {"armhf", "arm-linux-gnueabihf", "32-bit ARM (armhf)"},
    {"arm64", "aarch64-linux-gnu", "64-bit ARM (arm64)"},
    {"mipsel", "mipsel-linux-gnu", "32-bit MIPS (mipsel)"},
};
const size_t kCameraTargetCount = sizeof(kCameraTargets) / sizeof(kCameraTargets[0]);

// The stripped size of a copy of the library built for one camera processor,
// against its 256 KiB.
FigureRow targetSizeRow(const CameraTarget& target, const std::string& library) {
    FigureRow row{std::string("stripped libsensordll.so, ") + target.name,
                  "",
                  "none",
                  "-",
                  "<= 256 KiB",
                  "-"};
    if (library.empty() || access(library.c_str(), R_OK) != 0) {
        row.measured = "not built (" + (library.empty() ? std::string("no path") : library) + ")";
        return row;
    }
    char copy[] = "/tmp/sensordll-target-XXXXXX";
    int fd = mkstemp(copy);
    if (fd < 0) {
        row.measured = "cannot copy";
        return row;
    }
    close(fd);
    std::string command = "cp " + platform::shellQuoted(library) + " " + copy + " && " +
                          target.triplet + "-strip " + copy;
    long long size = system(command.c_str()) == 0 ? CameraSandbox::sizeOf(copy) : -1;
    unlink(copy);
    if (size < 0) {
        row.measured = "strip failed";
        return row;
    }
    row.measured = formatBytes(size);
    row.verdict = size <= 256 * 1024 ? "met" : "MISSED";
    return row;
}

// --- the table -----------------------------------------------------------------

FigureRow pairedRow(const MedianCollector& medians, const std::string& figure, const char* name,
                    const std::string& floorName, double maxRatio) {
    return timeRow(figure, medians.counterMedian(name, "figure"), floorName,
                   medians.counterMedian(name, "floor"), maxRatio);
}

std::vector<FigureRow> timeRows(const MedianCollector& m) {
    return {
        pairedRow(m, "setParameters(KeyVal*) 1 pair, applied, first map row (34)",
                  "BM_PairFirstRow", "doIaCmd(34)", 2.0),
        pairedRow(m, "setParameters(KeyVal*) 1 pair, applied, last map row (224)", "BM_PairLastRow",
                  "doIaCmd(224)", 2.0),
        pairedRow(m, "setParameters(text) whole set, unchanged, p_bSave true", "BM_WholeSet",
                  "keyval_str2st", 3.0),
        pairedRow(m, "setParamScheme 0<->1, schemes one key apart", "BM_SchemeSwitch",
                  "setParameter(34)", 20.0),
        pairedRow(m, "getUIStyleFile", "BM_StylePage", "TinyXML parse+print", 1.5),
    };
}

// Wall-clock time (what the caller waits) beside the thread's CPU time.
std::string wallAndCpu(const MedianCollector& medians, const char* name) {
    return formatSeconds(medians.realMedian(name)) + " wall, " +
           formatSeconds(medians.cpuMedian(name)) + " CPU";
}

std::vector<FigureRow> absoluteRows(const MedianCollector& medians) {
    double withTick = medians.realMedian("BM_InitWithTick");
    double withoutTick = medians.realMedian("BM_InitWithoutTick");
    std::string tick = withTick >= 0 && withoutTick >= 0 ? formatSeconds(withTick - withoutTick)
                                                         : std::string("-");
    return {
        reportRow("one reading of the sign file (absent), per operation",
                  formatSeconds(medians.cpuMedian("BM_ReadSignFile")), "none"),
        reportRow("init, all files present, tick sleep not slept",
                  wallAndCpu(medians, "BM_InitWithoutTick"), "none"),
        reportRow("init, all files present, with its 1 s tick sleep",
                  wallAndCpu(medians, "BM_InitWithTick"), "none (the tick's share: " + tick + ")"),
        reportRow("uinit", wallAndCpu(medians, "BM_Uinit"), "none"),
    };
}

FigureRow allocationRow(const char* figure, u32 key) {
    PairAllocations counted = countPairAllocations(key);
    double own = counted.perPair - counted.perHandler;
    FigureRow row{figure,
                  allocationText(counted.perPair) + ", module's own " + allocationText(own),
                  "zero (doIaCmd: " + allocationText(counted.perHandler) + ", simulator's log)",
                  "-",
                  "0",
                  own == 0 ? "met" : "MISSED"};
    return row;
}

std::vector<FigureRow> countedRows(const std::vector<std::string>& targetLibraries) {
    BenchStage& s = stage();
    s.ensureInit();
    std::vector<FigureRow> rows = {
        allocationRow("heap allocations per applied pair, first map row", BENCH_FIRST_ROW_KEY),
        allocationRow("heap allocations per applied pair, last map row", BENCH_LAST_ROW_KEY),
    };
    double wholeSet = countWholeSetAllocations();
    rows.push_back(FigureRow{"heap allocations, whole set as text, unchanged",
                             allocationText(wholeSet), "zero", "-", "0",
                             wholeSet == 0 ? "met" : "MISSED"});
    long long flushed = flushBytes();
    long long merged = static_cast<long long>(s.strMergedStyle.size());
    HeapFigures heap = measureHeap();
    rows.push_back(reportRow("heap held by one initialised controller", formatBytes(heap.held),
                             "merged style text: " + formatBytes(merged)));
    rows.push_back(reportRow("heap peak during init (above its start)", formatBytes(heap.initPeak),
                             "merged style text: " + formatBytes(merged)));
    rows.push_back(reportRow(
        "bytes written to flash by one flush", formatBytes(flushed),
        "8 x " + std::to_string(s.nRecords) + " records = " + formatBytes(8LL * s.nRecords)));
    for (size_t i = 0; i < kCameraTargetCount; ++i) {
        rows.push_back(targetSizeRow(kCameraTargets[i], targetLibraries[i]));
    }
    return rows;
}

// --- the program -------------------------------------------------------------

// Standard output becomes /dev/null for the module's chatter; the table goes
// to the stream returned.
FILE* takeStandardOutput() {
    fflush(stdout);
    int kept = dup(STDOUT_FILENO);
    int null = open("/dev/null", O_WRONLY);
    if (kept < 0 || null < 0 || dup2(null, STDOUT_FILENO) < 0) {
        return stdout;
    }
    close(null);
    FILE* table = fdopen(kept, "w");
    return table ? table : stdout;
}

// The library of a camera target named by one of our flags,
// --library-ARCH=PATH (--arm-library=PATH is the armhf one); -1 when the
// argument is not ours.
int targetLibraryFlag(const char* argument, std::string& path) {
    const char kArm[] = "--arm-library=";
    if (strncmp(argument, kArm, sizeof(kArm) - 1) == 0) {
        path = argument + sizeof(kArm) - 1;
        return 0;
    }
    for (size_t i = 0; i < kCameraTargetCount; ++i) {
        std::string flag = std::string("--library-") + kCameraTargets[i].arch + "=";
        if (strncmp(argument, flag.c_str(), flag.size()) == 0) {
            path = argument + flag.size();
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Our own flags out of argv; the benchmark's defaults in, unless given.
std::vector<char*> arguments(int argc, char** argv, std::vector<std::string>& targetLibraries) {
    static std::string repetitions = "--benchmark_repetitions=" + std::to_string(kRepetitions);
    static std::string aggregates = "--benchmark_report_aggregates_only=true";
    // The repetitions of all benchmarks run shuffled, so a change in the
    // machine's load during the run spreads over all of them.
    static std::string interleaving = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args = {argv[0], &repetitions[0], &aggregates[0], &interleaving[0]};
    targetLibraries.assign(kCameraTargetCount, std::string());
    for (int i = 1; i < argc; ++i) {
        std::string path;
        int target = targetLibraryFlag(argv[i], path);
        if (target >= 0) {
            targetLibraries[target] = path;
        } else {
            args.push_back(argv[i]);  // given later, it wins over the defaults
        }
    }
    args.push_back(nullptr);
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> targetLibraries;
    std::vector<char*> args = arguments(argc, argv, targetLibraries);
    int count = static_cast<int>(args.size()) - 1;
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 2;
    }
    FILE* table = takeStandardOutput();
    BenchStage bench;
    g_pStage = &bench;
    if (!bench.sandbox.ready() || !bench.ensureInit()) {
        fprintf(stderr, "cannot set up the sample box camera\n");
        return 1;
    }
    if (!bench.prepareSchemes()) {
        fprintf(table, "note: schemes 0 and 1 differ in more than key %u\n", BENCH_SCHEME_KEY);
    }
    if (!bench.wholeSetIsUnchanged()) {
        fprintf(table, "note: the current set given back as text reached a handler\n");
    }
    registerAll();
    MedianCollector collector;
    collector.SetOutputStream(&std::cerr);
    collector.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&collector);
    platform::setWaitScale(100);
    std::vector<FigureRow> rows = timeRows(collector);
    for (const FigureRow& row : absoluteRows(collector)) {
        rows.push_back(row);
    }
    for (const FigureRow& row : countedRows(targetLibraries)) {
        rows.push_back(row);
    }
    printTable(table, rows);
    fprintf(table,
            "\nTimes: CPU time of the calling thread, median of %lld repetitions (init and "
            "uinit: %d calls each, the tick %d); each figure and its floor timed in turns, in "
            "batches of %d calls (style page: %d), within every repetition.\n",
            collector.repetitions("BM_WholeSet"), kInitIterations, kTickRepetitions, kPairBatch,
            kStyleBatch);
    benchmark::Shutdown();
    g_pStage = nullptr;
    return 0;
}
