#pragma once

#include "writers/chart_writer.hpp"

#include <cstdio>
#include <memory>

namespace curtis {

// The chart as JSON, written straight to out, as --format json writes it.
void writeChartJson(std::FILE* out, const PrintedChart& chart);

// The writers of the chart as data and as text, one a file.
std::unique_ptr<ChartWriter> makeJsonWriter(std::FILE* out);
std::unique_ptr<ChartWriter> makeTextWriter(std::FILE* out);
std::unique_ptr<ChartWriter> makeTsvWriter(std::FILE* out);

} // namespace curtis
