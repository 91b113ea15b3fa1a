#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

// Median, 99th percentile and maximum of a set of durations, printed in microseconds.
inline void printDurations(const char* what, std::vector<std::chrono::nanoseconds> samples)
{
    if (samples.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double fraction) {
        const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
        return std::chrono::duration<double, std::micro>(samples[index]).count();
    };
    std::printf("%-44s median %9.1f us   p99 %9.1f us   max %9.1f us   (n=%zu)\n", what, at(0.5), at(0.99),
                at(1.0), samples.size());
}
