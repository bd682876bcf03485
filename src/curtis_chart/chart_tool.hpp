#pragma once

#include "curtis_chart/output_file.hpp"

namespace curtis {

// The whole of curtis-chart: reads the command line, computes every total
// degree asked for and writes the chart. Messages go to standard error.
// Returns the exit status. The program writes its output file with the
// default options; the test build passes others.
int runChartTool(int argc, const char* const* argv, const OutputFile::Options& outputOptions = {});

} // namespace curtis
