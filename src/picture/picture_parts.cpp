#include "picture/picture_parts.hpp"

#include <algorithm>
#include <cmath>

namespace curtis {

namespace {

using Layout = PictureLayout;

// A small palette that stays distinguishable (Okabe and Ito's, for colour
// blindness too), one colour per cell index in turn; the label on each dot
// does the rest.
constexpr const char* palette[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                   "#E69F00", "#56B4E9", "#000000", "#F0E442"};
constexpr int paletteSize = sizeof palette / sizeof palette[0];
// The colour of every dot when all share one cell.
constexpr const char* oneCellColour = "#0072B2";

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

std::string place(std::int32_t t, int s, std::size_t j) {
    return std::to_string(t) + ":" + std::to_string(s) + ":" + std::to_string(j);
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
             "  .cell, .born { fill: #222; font-size: 6.5px; }\n"
             "  .name { fill: #222; font-size: 5.5px; }\n"
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

void writePictureArrows(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                        int fromCellDifference, bool identified) {
    put(out, "<g class=\"arrows\">\n");
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at) || !layout.drawn(level.at)) {
                continue;
            }
            for (const ChartArrow& arrow : level.arrows) {
                // Its source lies one stem to the right, which must be shown.
                if (arrow.source.front() - arrow.target.front() < fromCellDifference ||
                    (chart.plan.stems && level.at.stem() + 1 > chart.plan.stems->last)) {
                    continue;
                }
                // From the source towards the target, stopping short of the
                // target's dots.
                const double x1 = layout.x(level.at.stem() + 1);
                const double y1 = layout.y(level.at.filtration() - 1);
                const double x2 = layout.x(level.at.stem());
                const double y2 = layout.y(level.at.filtration());
                const double length = std::hypot(x2 - x1, y2 - y1);
                const double shorten = (length - Layout::dotSpacing) / length;
                put(out,
                    line("arrow", x1, y1, x1 + (x2 - x1) * shorten, y1 + (y2 - y1) * shorten,
                         std::string(" marker-end=\"url(#head)\"") +
                             (identified ? " data-t=\"" + std::to_string(degree.t) +
                                               "\" data-s=\"" + std::to_string(level.at.s) + "\""
                                         : ""),
                         monomialText(arrow.target) + " <-- " + monomialText(arrow.source)));
            }
        }
    }
    put(out, "</g>\n");
}

namespace {

// A named class as a page marks it: "t:s:bB", B its place in the basis.
std::string basisPlace(std::int32_t t, int s, std::size_t b) {
    return std::to_string(t) + ":" + std::to_string(s) + ":b" + std::to_string(b);
}

// The named basis's product lines: from each element a line to each basis
// element its product by h_i is the sum of, dotted where there are several.
void writeBasisProducts(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                        bool h3Lines, bool identified) {
    const char* const classes[] = {"h0", "h1", "h2", "h3"};
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at) || !layout.drawn(level.at)) {
                continue;
            }
            for (std::size_t b = 0; b < level.basis.size(); ++b) {
                const Layout::Point from = layout.basisDot(level, b);
                for (int i = 0; i < (h3Lines ? 4 : 3); ++i) {
                    const std::optional<BasisSum>& product =
                        level.basis[b].products[static_cast<std::size_t>(i)];
                    const PrintedLevel* target = chart.productLevel(level, i);
                    if (!product || target == nullptr || !layout.drawn(target->at)) {
                        continue;
                    }
                    const std::string cls =
                        std::string(classes[i]) + (product->names.size() > 1 ? " sum" : "");
                    std::string title = std::string(classes[i]) + " \u00b7 " + level.basis[b].name;
                    for (std::size_t n = 0; n < product->names.size(); ++n) {
                        title += (n == 0 ? " = " : " + ") + product->names[n];
                    }
                    for (const std::string& name : product->names) {
                        const auto term = std::find_if(
                            target->basis.begin(), target->basis.end(),
                            [&](const PrintedBasisClass& c) { return c.name == name; });
                        if (term == target->basis.end()) {
                            continue; // every product's term is an element of the basis
                        }
                        const std::size_t to =
                            static_cast<std::size_t>(term - target->basis.begin());
                        const Layout::Point end = layout.basisDot(*target, to);
                        put(out, line(cls, from.x, from.y, end.x, end.y,
                                      identified
                                          ? " data-from=\"" + basisPlace(degree.t, level.at.s, b) +
                                                "\" data-to=\"" +
                                                basisPlace(target->at.t, target->at.s, to) + "\""
                                          : "",
                                      title));
                    }
                }
            }
        }
    }
}

} // namespace

void writePictureProducts(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                          bool h3Lines, bool identified) {
    if (!chart.plan.readings.products) {
        return;
    }
    put(out, "<g class=\"products\">\n");
    if (drawsNamedBasis(chart)) {
        writeBasisProducts(out, layout, chart, h3Lines, identified);
        put(out, "</g>\n");
        return;
    }
    const char* const classes[] = {"h0", "h1", "h2", "h3"};
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at) || !layout.drawn(level.at)) {
                continue;
            }
            for (std::size_t j = 0; j < level.classes.size(); ++j) {
                if (!level.classes[j].products) {
                    continue;
                }
                const Layout::Point from = layout.dot(level, j);
                for (int i = 0; i < (h3Lines ? 4 : 3); ++i) {
                    const auto& terms =
                        level.classes[j].products->terms[static_cast<std::size_t>(i)];
                    if (!terms) {
                        continue;
                    }
                    const PrintedLevel* target = chart.productLevel(level, i);
                    if (!layout.drawn(target->at)) {
                        continue; // above the tower cut
                    }
                    const std::string cls =
                        std::string(classes[i]) + (terms->size() > 1 ? " sum" : "");
                    for (const std::size_t term : *terms) {
                        const Layout::Point to = layout.dot(*target, term);
                        put(out,
                            line(cls, from.x, from.y, to.x, to.y,
                                 identified
                                     ? " data-from=\"" + place(degree.t, level.at.s, j) +
                                           "\" data-to=\"" +
                                           place(degree.t + (1 << i), level.at.s + 1, term) + "\""
                                     : ""));
                    }
                }
            }
        }
    }
    put(out, "</g>\n");
}

void writePictureTowerCuts(std::FILE* out, const PictureLayout& layout) {
    if (!layout.towerCut() || layout.filtrations() != *layout.towerCut() + 1) {
        return; // not cut here
    }
    put(out, "<g class=\"tower-cuts\">\n");
    const double y = layout.y(*layout.towerCut());
    for (const std::int32_t stem : layout.towerStems()) {
        put(out, line("tower", layout.x(stem), y - Layout::dotSpacing, layout.x(stem),
                      y - Layout::unit * 0.9, " marker-end=\"url(#head)\"",
                      "the tower goes on above filtration " + std::to_string(*layout.towerCut())));
    }
    put(out, "</g>\n");
}

namespace {

// A dot's label: its name where the chart names classes, else the sphere it
// is born on where the chart has births, else its cell where cells differ.
std::string dotLabel(const PrintedChart& chart, const PictureLayout& layout, const ChartClass& c,
                     const Layout::Point& at) {
    const std::string place = "\" x=\"" + pictureNumber(at.x + Layout::dotRadius) + "\" y=\"" +
                              pictureNumber(at.y - Layout::dotRadius + 1) + "\">";
    if (c.names) {
        return "<text class=\"name" + place + escapedXml(c.names->name) + "</text>";
    }
    const bool births = chart.plan.readings.births();
    if (!births && layout.oneCell()) {
        return "";
    }
    return std::string("<text class=\"") + (births ? "born" : "cell") + place +
           std::to_string(births ? c.born.value_or(0) : c.word.front()) + "</text>";
}

} // namespace

namespace {

// A dot per element of the named basis, labelled with its name; its title
// its name and the survivors whose sum it is.
void writeBasisDots(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                    bool identified) {
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at) || !layout.drawn(level.at)) {
                continue;
            }
            for (std::size_t b = 0; b < level.basis.size(); ++b) {
                const PrintedBasisClass& named = level.basis[b];
                std::string monomials;
                for (const std::size_t term : named.terms) {
                    monomials +=
                        (monomials.empty() ? "" : " + ") + monomialText(level.classes[term].word);
                }
                const Layout::Point at = layout.basisDot(level, b);
                const std::string marks =
                    identified
                        ? "data-t=\"" + std::to_string(degree.t) + "\" data-s=\"" +
                              std::to_string(level.at.s) + "\" data-b=\"" + std::to_string(b) +
                              "\" tabindex=\"0\" role=\"button\" aria-label=\"" +
                              escapedXml(named.name) + "\" "
                        : "";
                put(out, "<g class=\"survivor-dot\"><circle class=\"survivor\" " + marks + "cx=\"" +
                             pictureNumber(at.x) + "\" cy=\"" + pictureNumber(at.y) + "\" r=\"" +
                             pictureNumber(Layout::dotRadius) + "\" fill=\"" + oneCellColour +
                             "\"><title>" + escapedXml(named.name + ": " + monomials) +
                             "</title></circle><text class=\"name\" x=\"" +
                             pictureNumber(at.x + Layout::dotRadius) + "\" y=\"" +
                             pictureNumber(at.y - Layout::dotRadius + 1) + "\">" +
                             escapedXml(named.name) + "</text></g>\n");
            }
        }
    }
}

} // namespace

void writePictureDots(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                      bool identified) {
    put(out, "<g class=\"dots\">\n");
    if (drawsNamedBasis(chart)) {
        writeBasisDots(out, layout, chart, identified);
        put(out, "</g>\n");
        return;
    }
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at) || !layout.drawn(level.at)) {
                continue;
            }
            for (std::size_t j = 0; j < level.classes.size(); ++j) {
                const PrintedMonomial& monomial = level.classes[j].word;
                const Layout::Point at = layout.dot(level, j);
                const std::string colour =
                    layout.oneCell() ? oneCellColour : cellColour(monomial.front());
                const std::string marks =
                    identified
                        ? "data-t=\"" + std::to_string(degree.t) + "\" data-s=\"" +
                              std::to_string(level.at.s) + "\" data-j=\"" + std::to_string(j) +
                              "\" tabindex=\"0\" role=\"button\" aria-label=\"" +
                              escapedXml(monomialText(monomial)) + "\" "
                        : "";
                // A class that a later sphere kills: a ring, labelled with
                // that sphere.
                const std::optional<int>& dies = level.classes[j].dies;
                const std::string paint =
                    dies ? "white\" stroke=\"" + colour + "\" stroke-width=\"1.5" : colour;
                const std::optional<ClassNames>& names = level.classes[j].names;
                const std::string title =
                    (names && !names->name.empty() ? names->name + ": " : std::string()) +
                    monomialText(monomial) +
                    (dies ? ", dies on S^" + std::to_string(*dies) : std::string());
                std::string dot = "<g class=\"survivor-dot\"><circle class=\"survivor\" " + marks +
                                  "cx=\"" + pictureNumber(at.x) + "\" cy=\"" + pictureNumber(at.y) +
                                  "\" r=\"" + pictureNumber(Layout::dotRadius) + "\" fill=\"" +
                                  paint + "\"><title>" + escapedXml(title) + "</title></circle>";
                dot += dotLabel(chart, layout, level.classes[j], at);
                if (dies) {
                    dot += "<text class=\"dies\" x=\"" + pictureNumber(at.x + Layout::dotRadius) +
                           "\" y=\"" + pictureNumber(at.y + Layout::dotRadius + 7) + "\">\u2020" +
                           std::to_string(*dies) + "</text>";
                }
                put(out, dot + "</g>\n");
            }
        }
    }
    put(out, "</g>\n");
}

namespace {

// The legend of the cells' colours, where the cells differ; the next free
// height.
double writeCellLegend(std::FILE* out, const PictureLayout& layout, double x, double y) {
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
    put(out, label(x, y + 4, "each dot is labelled"));
    put(out, label(x, y + 18, "with its cell index"));
    y += 40;
    return y;
}

} // namespace

void writePictureLegend(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart) {
    const Drawing& drawing = chart.plan.drawing;
    const double x = layout.legendX();
    put(out, "<g class=\"legend\">\n");
    double y = writeCellLegend(out, layout, x, Layout::top);
    if (drawsNamedBasis(chart)) {
        put(out, label(x, y, "each dot a class of the named"));
        put(out, label(x, y + 14, "basis, labelled with its name"));
        y += 36;
    }
    if (chart.plan.readings.births()) {
        put(out, label(x, y, "each dot is labelled with N,"));
        put(out, label(x, y + 14, "the sphere S^N it is born on"));
        y += 36;
    }
    if (chart.plan.readings.unstable) {
        put(out, label(x, y, "a ring labelled \u2020M: a class"));
        put(out, label(x, y + 14, "that dies on S^M"));
        y += 36;
    }
    if (chart.plan.readings.products) {
        put(out, label(x, y, "lines: products by h0 (vertical),"));
        put(out, label(x, y + 14,
                       std::string("h1 (slope 1), h2 (slope 1/3)") +
                           (drawing.h3Lines ? ", h3 (dashed)" : "")));
        put(out, line("h0 sum", x, y + 30, x + 12, y + 30));
        put(out, label(x + 16, y + 34, "a product that is a sum:"));
        put(out, label(x + 16, y + 48, "a dashed red line to each term"));
        y += 88;
    }
    // Pairings that change the cell exist only where the space has more
    // than one cell.
    if (drawing.arrowsFromCellDifference > 0 && !chart.plan.space.singleCell()) {
        put(out, line("arrow", x, y + 4, x + 12, y - 8, " marker-end=\"url(#head)\""));
        put(out, label(x + 16, y, "pairing that changes the cell"));
        if (drawing.arrowsFromCellDifference > 1) {
            put(out, label(x + 16, y + 14,
                           "by " + std::to_string(drawing.arrowsFromCellDifference) + " or more"));
        }
    }
    put(out, "</g>\n");
}

} // namespace curtis
