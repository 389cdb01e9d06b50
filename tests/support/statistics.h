#pragma once

#include <vector>

// Order statistics of measured times, taken as the page's chart takes them,
// so that the benchmarks' figures and the chart's caption mean the same.

// The median; of an even count, the mean of the two middle values.
double median(std::vector<double> values);
// The nearest-rank percentile: the value of rank ceil(share * n) in
// ascending order (at least the first).
double nearest_rank(std::vector<double> values, double share);
