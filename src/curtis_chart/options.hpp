#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace curtis {

enum class ChartFormat { Json, Text, Svg };

struct ChartOptions {
    std::int32_t weight = 0;
    std::int32_t minDegree = 1;
    std::int32_t maxDegree = 0;
    ChartFormat format = ChartFormat::Json;
    std::string output; // empty: standard output
};

enum class ParseOutcome {
    Run,   // options holds what to compute
    Help,  // the help text has been written to out
    Error, // a one-line message has been written to err
};

// Reads curtis-chart's command line.
ParseOutcome parseChartOptions(int argc, const char* const* argv, ChartOptions& options,
                               std::FILE* out, std::FILE* err);

} // namespace curtis
