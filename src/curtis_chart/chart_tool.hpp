#pragma once

namespace curtis {

// Exit statuses of curtis-chart besides 0, 1 (output could not be written)
// and 255 (storage could not be obtained or was outgrown).
inline constexpr int exitBadArguments = 2;

// The whole of curtis-chart: reads the command line, computes every total
// degree asked for and writes the chart. Messages go to standard error.
// Returns the exit status.
int runChartTool(int argc, const char* const* argv);

} // namespace curtis
