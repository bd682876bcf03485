#pragma once

#include "elimination/computation.hpp"

#include <cstdio>
#include <string>

namespace curtis {

// Writes the chart section of a finished level: the header with homological
// degree, topological degree and coweight, then one line per chart line: a
// surviving word, or "word <-- source". Every entry is printed as a number
// followed by one blank, the cell index as its true (signed) value.
void writeChartSection(std::FILE* out, const FinishedLevel& level);

// The message for a computation that did not finish (any outcome but
// Finished and Stopped), with its newline. A failed allocation of the level
// storage gives the system's text for result.error after "malloc: ".
std::string failureMessage(const ComputationResult& result);

// For a memory shortfall, the figures: the bytes the computation needs, the
// bytes the process can obtain and what sets that limit, with its newline.
std::string shortfallFigures(const ComputationResult& result);

} // namespace curtis
