#include "chart_tool/chart_formats.hpp"

#include "picture/picture_writers.hpp"
#include "writers/writers.hpp"

namespace curtis {

namespace {

// svg and tex draw lines for h0 .. h3 only; tex, like text, is drawn by whole
// total degrees.
constexpr ChartFormat formats[] = {
    {.name = "json",
     .help = "the chart as data, for other programs (the default)",
     .drawsArrows = false,
     .showsProducts = true,
     .productsThrough = 5,
     .drawsLines = false,
     .showsNames = true,
     .showsEhp = true,
     .showsTransfer = true,
     .listsReadings = true,
     .drawsPeriodicity = false,
     .drawsCharts = false,
     .cutsTowers = false,
     .latexPart = false,
     .wholeDegrees = false,
     .classGraph = false,
     .make = makeJsonWriter},
    {.name = "text",
     .help = "the chart as curtis prints it, for each t",
     .drawsArrows = false,
     .showsProducts = false,
     .productsThrough = -1,
     .drawsLines = false,
     .showsNames = false,
     .showsEhp = false,
     .showsTransfer = false,
     .listsReadings = false,
     .drawsPeriodicity = false,
     .drawsCharts = false,
     .cutsTowers = false,
     .latexPart = false,
     .wholeDegrees = true,
     .classGraph = false,
     .make = makeTextWriter},
    {.name = "svg",
     .help = "an Adams chart: x the stem, y the Adams filtration",
     .drawsArrows = true,
     .showsProducts = true,
     .productsThrough = 3,
     .drawsLines = true,
     .showsNames = true,
     .showsEhp = true,
     .showsTransfer = false,
     .listsReadings = false,
     .drawsPeriodicity = false,
     .drawsCharts = true,
     .cutsTowers = true,
     .latexPart = false,
     .wholeDegrees = false,
     .classGraph = false,
     .make = makeSvgWriter},
    {.name = "tsv",
     .help = "a table, a row per survivor, arrow and product term",
     .drawsArrows = false,
     .showsProducts = true,
     .productsThrough = 5,
     .drawsLines = false,
     .showsNames = true,
     .showsEhp = true,
     .showsTransfer = true,
     .listsReadings = true,
     .drawsPeriodicity = false,
     .drawsCharts = false,
     .cutsTowers = false,
     .latexPart = false,
     .wholeDegrees = false,
     .classGraph = false,
     .make = makeTsvWriter},
    {.name = "html",
     .help = "a page to explore the chart in a browser, data inside",
     .drawsArrows = true,
     .showsProducts = true,
     .productsThrough = 5,
     .drawsLines = true,
     .showsNames = true,
     .showsEhp = true,
     .showsTransfer = true,
     .listsReadings = false,
     .drawsPeriodicity = true,
     .drawsCharts = true,
     .cutsTowers = false,
     .latexPart = false,
     .wholeDegrees = false,
     .classGraph = false,
     .make = makeHtmlWriter},
    {.name = "tex",
     .help = "an Adams chart in LaTeX, drawn with the package spectralsequences",
     .drawsArrows = false,
     .showsProducts = true,
     .productsThrough = 3,
     .drawsLines = true,
     .showsNames = true,
     .showsEhp = true,
     .showsTransfer = false,
     .listsReadings = false,
     .drawsPeriodicity = false,
     .drawsCharts = true,
     .cutsTowers = true,
     .latexPart = true,
     .wholeDegrees = true,
     .classGraph = false,
     .make = makeTexWriter},
    {.name = "seqsee",
     .help = "SeqSee's JSON, the field's format for programs that draw charts",
     .drawsArrows = true,
     .showsProducts = true,
     .productsThrough = 5,
     .drawsLines = false,
     .showsNames = true,
     .showsEhp = true,
     .showsTransfer = false,
     .listsReadings = false,
     .drawsPeriodicity = false,
     .drawsCharts = true,
     .cutsTowers = false,
     .latexPart = false,
     .wholeDegrees = false,
     .classGraph = true,
     .make = makeSeqseeWriter},
};

} // namespace

std::span<const ChartFormat> chartFormats() {
    return formats;
}

const ChartFormat* findChartFormat(std::string_view name) {
    for (const ChartFormat& format : formats) {
        if (name == format.name) {
            return &format;
        }
    }
    return nullptr;
}

} // namespace curtis
