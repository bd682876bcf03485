#include "chart_tool/chart_formats.hpp"

#include "picture/picture_writers.hpp"
#include "writers/writers.hpp"

namespace curtis {

namespace {

constexpr ChartFormat formats[] = {
    // name, help, draws arrows, shows products, EHP pairs, the transfer; writer
    {"json", "the chart as data, for other programs (the default)", false, true, true, true,
     makeJsonWriter},
    {"text", "the chart as curtis prints it, for each t", false, false, false, false,
     makeTextWriter},
    {"svg", "an Adams chart: x the stem, y the Adams filtration", true, true, true, false,
     makeSvgWriter},
    {"tsv", "a table, a row per survivor, arrow and product term", false, true, true, true,
     makeTsvWriter},
    {"html", "a page to explore the chart in a browser, data inside", true, true, true, true,
     makeHtmlWriter},
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
