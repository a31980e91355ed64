// The benchmark's result: each figure beside the floor measured in the same
// run, the ratio and the target.
#ifndef BENCH_FIGURETABLE_H
#define BENCH_FIGURETABLE_H

#include <benchmark/benchmark.h>
#include <stdio.h>

#include <map>
#include <string>
#include <vector>

// Shows the runs on the console reporter's stream and keeps, of every
// benchmark that ran repeatedly, the median over the repetitions of its
// counters and of its time per iteration: the CPU time of the calling thread,
// which other work on the machine does not inflate, and the wall-clock time,
// which holds sleeps and waits for I/O.
class MedianCollector : public benchmark::ConsoleReporter {
  public:
    MedianCollector() : benchmark::ConsoleReporter(OO_None) {}
    void ReportRuns(const std::vector<Run>& reports) override;
    // Seconds per iteration; a negative number when the benchmark did not run.
    double cpuMedian(const std::string& name) const;
    double realMedian(const std::string& name) const;
    // The median of a counter of the benchmark; negative when it did not run.
    double counterMedian(const std::string& name, const std::string& counter) const;
    // How many repetitions the medians of the benchmark were taken over.
    long long repetitions(const std::string& name) const;

  private:
    std::map<std::string, double> m_mapCpuMedians;
    std::map<std::string, double> m_mapRealMedians;
    std::map<std::string, double> m_mapCounterMedians;  // by "name/counter"
    std::map<std::string, long long> m_mapRepetitions;
};

struct FigureRow {
    std::string figure;
    std::string measured;
    std::string floorText;
    std::string ratio;
    std::string target;
    std::string verdict;  // "met", "MISSED" or "report"
};

// Time figure against a time floor; "met" when the ratio is at most maxRatio.
FigureRow timeRow(const std::string& figure, double seconds, const std::string& floorName,
                  double floorSeconds, double maxRatio);
// A figure with no floor (a measurement to report).
FigureRow reportRow(const std::string& figure, const std::string& measured,
                    const std::string& floorText);
std::string formatSeconds(double seconds);
std::string formatBytes(long long bytes);

void printTable(FILE* out, const std::vector<FigureRow>& rows);

#endif
