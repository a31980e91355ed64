#include "PairedTiming.h"

#include <time.h>

#include <algorithm>

double threadCpuSeconds() {
    struct timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double medianOf(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(middle), values.end());
    return values[middle];
}

double clockCostSeconds() {
    static const double cost = [] {
        std::vector<double> costs;
        for (int i = 0; i < 1001; ++i) {
            double start = threadCpuSeconds();
            costs.push_back(threadCpuSeconds() - start);
        }
        return medianOf(costs);
    }();
    return cost;
}
