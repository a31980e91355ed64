#include "FigureTable.h"

#include <algorithm>

void MedianCollector::ReportRuns(const std::vector<Run>& reports) {
    for (const Run& run : reports) {
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" &&
            !run.error_occurred) {
            double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
            m_mapCpuMedians[run.run_name.function_name] = run.GetAdjustedCPUTime() / unit;
            m_mapRealMedians[run.run_name.function_name] = run.GetAdjustedRealTime() / unit;
            m_mapRepetitions[run.run_name.function_name] = run.repetitions;
            for (const auto& counter : run.counters) {
                m_mapCounterMedians[run.run_name.function_name + "/" + counter.first] =
                    counter.second.value;
            }
        }
    }
    benchmark::ConsoleReporter::ReportRuns(reports);
}

namespace {

double lookUp(const std::map<std::string, double>& medians, const std::string& name) {
    auto it = medians.find(name);
    return it == medians.end() ? -1.0 : it->second;
}

}  // namespace

double MedianCollector::cpuMedian(const std::string& name) const {
    return lookUp(m_mapCpuMedians, name);
}

double MedianCollector::realMedian(const std::string& name) const {
    return lookUp(m_mapRealMedians, name);
}

long long MedianCollector::repetitions(const std::string& name) const {
    auto it = m_mapRepetitions.find(name);
    return it == m_mapRepetitions.end() ? 0 : it->second;
}

double MedianCollector::counterMedian(const std::string& name, const std::string& counter) const {
    return lookUp(m_mapCounterMedians, name + "/" + counter);
}

std::string formatSeconds(double seconds) {
    char text[32];
    if (seconds < 0) {
        return "not run";
    }
    if (seconds < 1e-6) {
        snprintf(text, sizeof(text), "%.0f ns", seconds * 1e9);
    } else if (seconds < 1e-3) {
        snprintf(text, sizeof(text), "%.2f us", seconds * 1e6);
    } else if (seconds < 1.0) {
        snprintf(text, sizeof(text), "%.2f ms", seconds * 1e3);
    } else {
        snprintf(text, sizeof(text), "%.3f s", seconds);
    }
    return text;
}

std::string formatBytes(long long bytes) {
    char text[48];
    if (bytes >= 10 * 1024) {
        snprintf(text, sizeof(text), "%lld B (%.1f KiB)", bytes, bytes / 1024.0);
    } else {
        snprintf(text, sizeof(text), "%lld B", bytes);
    }
    return text;
}

FigureRow timeRow(const std::string& figure, double seconds, const std::string& floorName,
                  double floorSeconds, double maxRatio) {
    FigureRow row;
    row.figure = figure;
    row.measured = formatSeconds(seconds);
    row.floorText = floorName + ": " + formatSeconds(floorSeconds);
    char text[32];
    snprintf(text, sizeof(text), "<= %.1f x", maxRatio);
    row.target = text;
    if (seconds < 0 || floorSeconds <= 0) {
        row.ratio = "-";
        row.verdict = "not run";
        return row;
    }
    double ratio = seconds / floorSeconds;
    snprintf(text, sizeof(text), "%.2f x", ratio);
    row.ratio = text;
    row.verdict = ratio <= maxRatio ? "met" : "MISSED";
    return row;
}

FigureRow reportRow(const std::string& figure, const std::string& measured,
                    const std::string& floorText) {
    return FigureRow{figure, measured, floorText, "-", "report", "report"};
}

namespace {

typedef std::string FigureRow::*Column;
const Column kColumns[] = {&FigureRow::figure, &FigureRow::measured, &FigureRow::floorText,
                           &FigureRow::ratio,  &FigureRow::target,   &FigureRow::verdict};
const char* const kHeadings[] = {"figure", "measured", "floor (same run)",
                                 "ratio",  "target",   "result"};
const size_t kColumnCount = sizeof(kColumns) / sizeof(kColumns[0]);

void printLine(FILE* out, const FigureRow& row, const std::vector<size_t>& widths) {
    for (size_t c = 0; c < kColumnCount; ++c) {
        fprintf(out, "| %-*s ", static_cast<int>(widths[c]), (row.*kColumns[c]).c_str());
    }
    fprintf(out, "|\n");
}

}  // namespace

void printTable(FILE* out, const std::vector<FigureRow>& rows) {
    FigureRow heading{kHeadings[0], kHeadings[1], kHeadings[2],
                      kHeadings[3], kHeadings[4], kHeadings[5]};
    std::vector<size_t> widths(kColumnCount, 0);
    for (size_t c = 0; c < kColumnCount; ++c) {
        widths[c] = (heading.*kColumns[c]).size();
        for (const FigureRow& row : rows) {
            widths[c] = std::max(widths[c], (row.*kColumns[c]).size());
        }
    }
    printLine(out, heading, widths);
    for (size_t c = 0; c < kColumnCount; ++c) {
        fprintf(out, "|%s", std::string(widths[c] + 2, '-').c_str());
    }
    fprintf(out, "|\n");
    for (const FigureRow& row : rows) {
        printLine(out, row, widths);
    }
    fflush(out);
}
