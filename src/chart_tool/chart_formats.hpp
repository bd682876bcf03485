#pragma once

#include "writers/chart_writer.hpp"

#include <cstdio>
#include <memory>
#include <span>
#include <string_view>

namespace curtis {

// The output formats of curtis-chart: the one table from which the options,
// their help, their refusals and the choice of writer are read. Every
// option that applies to some formats only is read off a field here, never
// off a format's name. A new format is a writer in a file of its own and an
// entry here.
struct ChartFormat {
    const char* name;
    const char* help;      // one line for --help
    bool drawsArrows;      // --arrows applies
    bool showsProducts;    // --products applies
    int productsThrough;   // with --products: the products by h0 .. h_i shown
    bool drawsLines;       // --h3-lines applies
    bool showsNames;       // --names applies
    bool showsEhp;         // --ehp applies
    bool showsTransfer;    // --transfer applies
    bool showsMaps;        // --map applies
    bool listsReadings;    // --multiply, --cycles, --massey and --periodicity apply
    bool listsSq0;         // --sq0 applies
    bool drawsPeriodicity; // --periodicity applies, drawn on request
    bool drawsCharts;      // --chart ehp and --chart cells apply
    bool cutsTowers;       // --uncut applies: the cut is fixed in the picture
    bool latexPart;        // --tex-body applies
    bool wholeDegrees;     // only whole total degrees: --max-stem is refused
    // A graph of classes: every line joins two classes, so the pairings of
    // an Adams chart, which join bidegrees, are not drawn (--arrows), and
    // every product asked for is drawn (--h3-lines). Births are drawn on
    // the EHP chart only.
    bool classGraph;
    std::unique_ptr<ChartWriter> (*make)(std::FILE* out);
};

// Every format; the first is the default.
std::span<const ChartFormat> chartFormats();
// The format of this name, or null.
const ChartFormat* findChartFormat(std::string_view name);

} // namespace curtis
