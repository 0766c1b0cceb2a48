// The latency figures' one statistic.
#pragma once

#include <algorithm>
#include <vector>

// The value below which `fraction` of `values` lie (the nearest rank), or 0 for none.
inline double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()))];
}
