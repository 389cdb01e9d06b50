#include "statistics.h"

#include <algorithm>
#include <cmath>

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double nearest_rank(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(share * values.size()));
    return values[std::max<std::size_t>(rank, 1) - 1];
}
