#pragma once

#include "elimination/generator_tables.hpp"

#include <cstdint>
#include <cstdio>

namespace curtis {

// Writes the chart section of level k: the header with homological degree
// k + 1, topological degree t - k - 1 and coweight c0 - k, then in table
// order a line for every surviving (Alive) generator and an arrow line
// "word <-- tag" for every Hit generator whose tag has another cell index.
void writeChartSection(std::FILE* out, const GeneratorTables& tables, int k, std::int32_t c0);

} // namespace curtis
