#pragma once

#include "chart/printed_chart.hpp"

#include <cstdio>

namespace curtis {

// Writes the chart section of a level: the header with homological degree,
// topological degree and coweight, then one line per chart line: a surviving
// word, or "word <-- source". Every entry is printed as a number followed by
// one blank, the cell index as its true (signed) value.
void writeChartSection(std::FILE* out, const PrintedLevel& level);

} // namespace curtis
