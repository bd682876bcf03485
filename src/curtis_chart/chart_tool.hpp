#pragma once

#include "curtis_chart/output_file.hpp"

#include <cstdint>
#include <functional>

namespace curtis {

// What the test build may change; the program runs with the defaults.
struct ChartToolSeams {
    OutputFile::Options output;
    // Called after each degree computed is written and stored, with its t.
    std::function<void(std::int32_t t)> afterDegree;
};

// The whole of curtis-chart: reads the command line, computes every total
// degree asked for and writes the chart. Messages go to standard error.
// Returns the exit status.
int runChartTool(int argc, const char* const* argv, const ChartToolSeams& seams = {});

} // namespace curtis
