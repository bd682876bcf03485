#pragma once

#include "writers/chart_writer.hpp"

#include <cstdio>
#include <memory>
#include <span>
#include <string_view>

namespace curtis {

// The output formats of curtis-chart: the one table from which the options,
// their help and the choice of writer are read. A new format is a writer in
// a file of its own and an entry here.
struct ChartFormat {
    const char* name;
    const char* help;   // one line for --help
    bool drawsArrows;   // --arrows applies
    bool showsProducts; // --products applies
    bool showsEhp;      // --ehp applies
    bool showsTransfer; // --transfer applies
    bool listsReadings; // --multiply and --cycles apply
    std::unique_ptr<ChartWriter> (*make)(std::FILE* out);
};

// Every format; the first is the default.
std::span<const ChartFormat> chartFormats();
// The format of this name, or null.
const ChartFormat* findChartFormat(std::string_view name);

} // namespace curtis
