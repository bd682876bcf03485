#include "chart_tool/chart_formats.hpp"

#include "picture/picture_writers.hpp"
#include "writers/writers.hpp"

namespace curtis {

namespace {

constexpr ChartFormat formats[] = {
    {.name = "json",
     .help = "the chart as data, for other programs (the default)",
     .drawsArrows = false,
     .showsProducts = true,
     .showsEhp = true,
     .showsTransfer = true,
     .listsReadings = true,
     .make = makeJsonWriter},
    {.name = "text",
     .help = "the chart as curtis prints it, for each t",
     .drawsArrows = false,
     .showsProducts = false,
     .showsEhp = false,
     .showsTransfer = false,
     .listsReadings = false,
     .make = makeTextWriter},
    {.name = "svg",
     .help = "an Adams chart: x the stem, y the Adams filtration",
     .drawsArrows = true,
     .showsProducts = true,
     .showsEhp = true,
     .showsTransfer = false,
     .listsReadings = false,
     .make = makeSvgWriter},
    {.name = "tsv",
     .help = "a table, a row per survivor, arrow and product term",
     .drawsArrows = false,
     .showsProducts = true,
     .showsEhp = true,
     .showsTransfer = true,
     .listsReadings = true,
     .make = makeTsvWriter},
    {.name = "html",
     .help = "a page to explore the chart in a browser, data inside",
     .drawsArrows = true,
     .showsProducts = true,
     .showsEhp = true,
     .showsTransfer = true,
     .listsReadings = false,
     .make = makeHtmlWriter},
    {.name = "tex",
     .help = "an Adams chart in LaTeX, drawn with the package spectralsequences",
     .drawsArrows = false,
     .showsProducts = true,
     .showsEhp = true,
     .showsTransfer = false,
     .listsReadings = false,
     .make = makeTexWriter},
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
