#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vxt::bench {

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Fixed(double v, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

bool Figure(const std::string &name, const std::string &text, const std::string &target, bool met)
{
    std::printf("%s: %s (target %s) %s\n", name.c_str(), text.c_str(), target.c_str(), met ? "OK" : "MISSED");
    std::fflush(stdout);
    return met;
}

void DefaultToOffscreen() { setenv("QT_QPA_PLATFORM", "offscreen", 0); }

}  // namespace vxt::bench
