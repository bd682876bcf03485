#pragma once

#include "chart/chart_plan.hpp"

#include <cstdio>

namespace curtis {

enum class ParseOutcome {
    Run,   // the plan holds what to compute
    Help,  // the help text has been written to out
    Error, // a one-line message has been written to err
};

// Reads curtis-chart's command line into the plan of the chart it asks for.
// The space is given by exactly one of --weight W, --bottom-cell A (the same
// as --weight -A) and --sphere (P_0^0), and --top-cell B with either of the
// first two.
ParseOutcome parseChartOptions(int argc, const char* const* argv, ChartPlan& plan, std::FILE* out,
                               std::FILE* err);

} // namespace curtis
