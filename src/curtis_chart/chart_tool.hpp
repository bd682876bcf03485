#pragma once

namespace curtis {

// The whole of curtis-chart: reads the command line, computes every total
// degree asked for and writes the chart. Messages go to standard error.
// Returns the exit status.
int runChartTool(int argc, const char* const* argv);

} // namespace curtis
