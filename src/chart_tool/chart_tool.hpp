#pragma once

#include "io/output_file.hpp"
#include "system/memory_limit.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace curtis {

// What the test build may change; the program runs with the defaults.
struct ChartToolSeams {
    OutputFile::Options output;
    // What the process can obtain, instead of what the machine says.
    std::optional<ObtainableMemory> obtainable;
    // Called after each degree computed is written and stored, with its t.
    std::function<void(std::int32_t t)> afterDegree;
};

// The whole of curtis-chart: reads the command line, computes every total
// degree asked for and writes the chart. Messages go to standard error.
// Returns the exit status.
int runChartTool(int argc, const char* const* argv, const ChartToolSeams& seams = {});

} // namespace curtis
