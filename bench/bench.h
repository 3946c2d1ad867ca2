// Shared by the bench programs: a fine clock, the figures of a series of runs,
// and the summary rows that scripts/bench gathers into its table.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kavren::bench {

inline constexpr wchar_t kFloorCaption[] = L"KAVREN bench floor";

inline double nowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

struct Figures {
    double median, min, max;
};

inline Figures figuresOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

inline void printSeries(const char* name, const Figures& figures, const char* unit) {
    std::printf("  %-34s median %9.1f %s   min %9.1f   max %9.1f\n", name, figures.median, unit, figures.min,
                figures.max);
}

// goalRatio 0: a figure without a goal, shown for comparison only.
inline void printRow(const char* figure, const Figures& value, const Figures& reference, const char* unit,
                     double goalRatio) {
    const double ratio = value.median / reference.median;
    char goal[32] = "-";
    if (goalRatio > 0) std::snprintf(goal, sizeof goal, "<= %.1f x", goalRatio);
    std::printf("ROW\t%s\t%.1f %s\t%.1f %s\t%.2f\t%s\t%s\n", figure, value.median, unit, reference.median, unit, ratio,
                goal, goalRatio <= 0 ? "-" : ratio <= goalRatio ? "met" : "NOT MET");
}

}  // namespace kavren::bench
