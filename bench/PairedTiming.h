// A figure and its floor timed side by side: batches of the one and of the
// other run in turn, each batch timed with the thread's CPU clock, so that a
// change in the machine's load falls on both alike. The benchmark's counters
// "figure" and "floor" carry the median batch of each, in seconds per call;
// their medians over the repetitions are the table's figures.
#ifndef BENCH_PAIREDTIMING_H
#define BENCH_PAIREDTIMING_H

#include <benchmark/benchmark.h>

#include <vector>

// Seconds of CPU time the calling thread has used.
double threadCpuSeconds();
// What one reading of the clock adds to a timed batch.
double clockCostSeconds();
double medianOf(std::vector<double> values);

// figure() and floor() each do one call of their operation; batch calls of
// each are timed together. Alternate iterations run the floor's batch first.
template <class Figure, class Floor>
void runPaired(benchmark::State& state, int batch, Figure figure, Floor floor) {
    const double clockCost = clockCostSeconds();
    std::vector<double> figureTimes;
    std::vector<double> floorTimes;
    bool figureFirst = true;
    for (auto _ : state) {
        double times[2];
        for (int part = 0; part < 2; ++part) {
            bool timingFigure = (part == 0) == figureFirst;
            double start = threadCpuSeconds();
            for (int i = 0; i < batch; ++i) {
                timingFigure ? figure() : floor();
            }
            times[timingFigure ? 0 : 1] = (threadCpuSeconds() - start - clockCost) / batch;
        }
        figureTimes.push_back(times[0]);
        floorTimes.push_back(times[1]);
        figureFirst = !figureFirst;
    }
    state.counters["figure"] = medianOf(figureTimes);
    state.counters["floor"] = medianOf(floorTimes);
}

#endif
