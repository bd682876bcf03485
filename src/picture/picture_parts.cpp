#include "picture/picture_parts.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace curtis {

namespace {

using Layout = PictureLayout;

// A small palette that stays distinguishable (Okabe and Ito's, for colour
// blindness too), one colour per cell index in turn; the label on each dot
// does the rest.
constexpr const char* palette[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                   "#E69F00", "#56B4E9", "#000000", "#F0E442"};
constexpr int paletteSize = sizeof palette / sizeof palette[0];

void put(std::FILE* out, const std::string& text) {
    std::fputs(text.c_str(), out);
}

// A line of the class, with extra attributes and, if not empty, a title.
std::string line(const std::string& cls, double x1, double y1, double x2, double y2,
                 const std::string& extra = "", const std::string& title = "") {
    std::string text = "<line class=\"" + cls + "\" x1=\"" + pictureNumber(x1) + "\" y1=\"" +
                       pictureNumber(y1) + "\" x2=\"" + pictureNumber(x2) + "\" y2=\"" +
                       pictureNumber(y2) + "\"" + extra;
    return title.empty() ? text + "/>\n"
                         : text + "><title>" + escapedXml(title) + "</title></line>\n";
}

std::string label(double x, double y, const std::string& text, const std::string& extra = "") {
    return "<text class=\"label\" x=\"" + pictureNumber(x) + "\" y=\"" + pictureNumber(y) + "\"" +
           extra + ">" + escapedXml(text) + "</text>\n";
}

} // namespace

std::string cellColour(std::int32_t cell) {
    const int index = static_cast<int>(((cell % paletteSize) + paletteSize) % paletteSize);
    return palette[index];
}

std::string paletteJson() {
    std::string json = "[";
    for (int i = 0; i < paletteSize; ++i) {
        json += std::string(i > 0 ? "," : "") + "\"" + palette[i] + "\"";
    }
    return json + "]";
}

std::string escapedXml(const std::string& text) {
    std::string result;
    for (const char c : text) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += "&quot;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string pictureNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

void writePictureStyle(std::FILE* out) {
    put(out, "<defs><marker id=\"head\" viewBox=\"0 0 6 6\" refX=\"6\" refY=\"3\" "
             "markerWidth=\"6\" markerHeight=\"6\" orient=\"auto\"><path d=\"M0,0 L6,3 L0,6 "
             "z\" fill=\"#777\"/></marker></defs>\n");
    put(out, "<style>\n"
             "  .grid { stroke: #e4e4e4; stroke-width: 1; }\n"
             "  .axis { stroke: #444; stroke-width: 1.2; }\n"
             "  .outside { fill: #f0f0f0; }\n"
             "  .arrow { stroke: #777; stroke-width: 0.7; }\n"
             "  .survivor { stroke: #222; stroke-width: 0.6; }\n"
             "  .label { fill: #333; }\n"
             "  .cell, .born, .name { fill: #222; font-size: 8px; }\n"
             "  .dies { fill: #222; font-size: 7px; }\n"
             "  .h0, .h1, .h2 { stroke: #333; stroke-width: 1; }\n"
             "  .h3 { stroke: #333; stroke-width: 1; stroke-dasharray: 3 2; }\n"
             "  .sum { stroke: #C0306A; stroke-width: 1.3; stroke-dasharray: 2.5 2; }\n"
             "</style>\n");
}

void writePictureHeading(std::FILE* out, const PictureLayout& layout) {
    put(out, label(Layout::left, 20, layout.title(), " font-size=\"14\""));
}

void writePictureShading(std::FILE* out, const PictureLayout& layout) {
    put(out, "<g class=\"shading\">\n");
    for (int dx = 0; dx < layout.stems(); ++dx) {
        for (int y = 0; y < layout.filtrations(); ++y) {
            if (!layout.computed(dx, y)) {
                put(out, "<rect class=\"outside\" x=\"" +
                             pictureNumber(Layout::left + (dx - 0.5) * Layout::unit) + "\" y=\"" +
                             pictureNumber(layout.y(y + 0.5)) + "\" width=\"" +
                             pictureNumber(Layout::unit) + "\" height=\"" +
                             pictureNumber(Layout::unit) + "\"/>\n");
            }
        }
    }
    put(out, "</g>\n");
}

void writePictureGrid(std::FILE* out, const PictureLayout& layout, bool numbers) {
    // Grid and ticks every degree, labels every labelStep.
    put(out, "<g class=\"grid-lines\">\n");
    const double unit = Layout::unit;
    const double axisY = layout.y(0) + unit / 2;
    const double axisX = Layout::left - unit / 2;
    const double right = Layout::left + (layout.stems() - 1) * unit;
    for (int dx = 0; dx < layout.stems(); ++dx) {
        const double x = Layout::left + dx * unit;
        put(out, line("grid", x, layout.y(0), x, layout.y(layout.filtrations() - 1)));
        put(out, line("axis", x, axisY, x, axisY + 4));
        const std::int64_t stem = std::int64_t{layout.firstStem()} + dx;
        if (numbers && stem % layout.labelStep() == 0) {
            put(out, label(x, axisY + 16, std::to_string(stem), " text-anchor=\"middle\""));
        }
    }
    for (int y = 0; y < layout.filtrations(); ++y) {
        put(out, line("grid", Layout::left, layout.y(y), right, layout.y(y)));
        put(out, line("axis", axisX - 4, layout.y(y), axisX, layout.y(y)));
        if (numbers && y % layout.labelStep() == 0) {
            put(out, label(axisX - 7, layout.y(y) + 4, std::to_string(y), " text-anchor=\"end\""));
        }
    }
    put(out, line("axis", axisX, axisY, right + unit / 2, axisY));
    put(out, line("axis", axisX, axisY, axisX, layout.y(layout.filtrations() - 1) - unit / 2));
    put(out, label(Layout::left + (layout.stems() - 1) * unit / 2, layout.height() - 6,
                   "stem in " + layout.space() + "; Ext^{s,t}: s the filtration, t − s the stem",
                   " text-anchor=\"middle\""));
    put(out, "<text class=\"label\" transform=\"translate(14 " +
                 pictureNumber(layout.y((layout.filtrations() - 1) / 2.0)) +
                 ") rotate(-90)\" text-anchor=\"middle\">Adams filtration s</text>\n");
    put(out, "</g>\n");
}

namespace {

// The legend of the cells' colours, where the cells differ; the next free
// height.
double writeCellLegend(std::FILE* out, const PictureLayout& layout, double x, double y,
                       bool drawsCellLabels) {
    if (layout.oneCell()) {
        return y;
    }
    put(out, label(x, y, "cell index", " font-weight=\"bold\""));
    y += 18;
    const std::set<std::int32_t>& cells = layout.cells();
    const int shown = std::min<int>(static_cast<int>(cells.size()), paletteSize);
    auto cell = cells.begin();
    for (int i = 0; i < shown; ++i, ++cell) {
        put(out, "<circle cx=\"" + pictureNumber(x + 5) + "\" cy=\"" + pictureNumber(y - 4) +
                     "\" r=\"" + pictureNumber(Layout::dotRadius) + "\" fill=\"" +
                     cellColour(*cell) + "\" stroke=\"#222\" stroke-width=\"0.6\"/>\n");
        // The cells of this colour that occur, the first few of them.
        std::string cellsOfColour;
        int listed = 0;
        for (auto other = cell; other != cells.end(); ++other) {
            if ((*other - *cell) % paletteSize != 0) {
                continue;
            }
            if (listed == 4) {
                cellsOfColour += ", ...";
                break;
            }
            if (listed++ > 0) {
                cellsOfColour += ", ";
            }
            cellsOfColour += std::to_string(*other);
        }
        put(out, label(x + 16, y, cellsOfColour));
        y += 16;
    }
    if (!drawsCellLabels) {
        return y + 4;
    }
    put(out, label(x, y + 4, "each dot is labelled"));
    put(out, label(x, y + 18, "with its cell index"));
    y += 40;
    return y;
}

} // namespace

namespace {

// The legend's entries, from the top down: each its lines of text, after a
// mark of what it explains (a dot, a ring, a line), if it has one.
class Legend {
public:
    Legend(std::FILE* out, double x, double y) : out_(out), x_(x), y_(y) {}

    double y() const { return y_; }
    // A dot of this paint as the mark.
    static std::string dot(double x, double y, const std::string& paint, double stroke = 0.6) {
        return "<circle cx=\"" + pictureNumber(x + 6) + "\" cy=\"" + pictureNumber(y - 4) +
               "\" r=\"" + pictureNumber(Layout::dotRadius) + "\" fill=\"" + paint +
               "\" stroke=\"#222\" stroke-width=\"" + pictureNumber(stroke) + "\"/>\n";
    }
    template <typename Mark> void entry(const std::vector<std::string>& lines, Mark mark) {
        put(out_, mark(x_, y_));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            put(out_, label(x_ + 18, y_ + 14 * static_cast<double>(i), lines[i]));
        }
        y_ += 14 * static_cast<double>(lines.size()) + 8;
    }

private:
    std::FILE* out_;
    double x_;
    double y_;
};

// What a dot and its label are.
void legendDots(Legend& legend, const PictureLayout& layout, const PrintedChart& chart) {
    const auto filled = [](double x, double y) { return Legend::dot(x, y, "#0072B2"); };
    if (drawsNamedBasis(chart)) {
        legend.entry({"a class of the named basis,", "labelled with its name"}, filled);
    } else if (chart.plan.readings.unstable && chart.plan.readings.names) {
        legend.entry(
            {"a class, labelled with its name:", "X[m] is born on S^m with Hopf", "invariant X"},
            filled);
    } else if (chart.plan.readings.births()) {
        legend.entry({"a class, labelled with N, the", "sphere S^N it is born on"}, filled);
    } else {
        legend.entry({"a class; several of a bidegree", "stand side by side"}, filled);
    }
    if (chart.plan.readings.unstable) {
        legend.entry({"a ring labelled \u2020M: a class", "that dies on S^M"},
                     [](double x, double y) { return Legend::dot(x, y, "white", 1.5); });
    }
    if (layout.towerCut()) {
        legend.entry(
            {"an arrow up: the tower goes on", "above the picture"}, [](double x, double y) {
                return line("key tower", x + 6, y + 2, x + 6, y - 10, " marker-end=\"url(#head)\"");
            });
    }
}

} // namespace

void writePictureLegend(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                        bool unplaced) {
    const Drawing& drawing = chart.plan.drawing;
    const double x = layout.legendX();
    put(out, "<g class=\"legend\">\n");
    // Dots are labelled with their cells where nothing else labels them.
    const bool cellLabels = !chart.plan.readings.names && !chart.plan.readings.births();
    Legend legend(out, x, writeCellLegend(out, layout, x, Layout::top, cellLabels));
    legendDots(legend, layout, chart);
    const auto none = [](double, double) { return std::string(); };
    if (chart.plan.readings.products) {
        legend.entry(
            {"products by h0 (vertical), h1", "(slope 1), h2 (slope 1/3)"},
            [](double x0, double y0) { return line("key h1", x0, y0 + 2, x0 + 12, y0 - 10); });
        if (drawing.h3Lines) {
            legend.entry({"products by h3 (dashed)"}, [](double x0, double y0) {
                return line("key h3", x0, y0 - 4, x0 + 12, y0 - 4);
            });
        }
        legend.entry(
            {"a product that is a sum: a", "dashed red line to each term"},
            [](double x0, double y0) { return line("h0 sum", x0, y0 - 4, x0 + 12, y0 - 4); });
    }
    // Pairings that change the cell exist only where the space has more
    // than one cell.
    if (drawing.arrowsFromCellDifference > 0 && !chart.plan.space.singleCell()) {
        legend.entry({"a pairing that changes the cell",
                      drawing.arrowsFromCellDifference > 1
                          ? "by " + std::to_string(drawing.arrowsFromCellDifference) + " or more"
                          : "(an arrow to its target)"},
                     [](double x0, double y0) {
                         return line("arrow", x0, y0 + 2, x0 + 12, y0 - 10,
                                     " marker-end=\"url(#head)\"");
                     });
    }
    if (unplaced) {
        legend.entry({"labels with no room beside", "their dots: under the chart"}, none);
    }
    put(out, "</g>\n");
}

} // namespace curtis
