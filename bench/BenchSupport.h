// What the benchmarks share: the clock, medians, and the one-line form of a figure.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vxt::bench {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point t0, Clock::time_point t1)
{
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

double Median(std::vector<double> values);

// "%.*f" of `v`.
std::string Fixed(double v, int decimals);

// Prints "name: text (target ...) OK|MISSED" on stdout and flushes it; returns `met`.
bool Figure(const std::string &name, const std::string &text, const std::string &target, bool met);

// Qt windows without a display, unless the caller chose a platform.
void DefaultToOffscreen();

}  // namespace vxt::bench
