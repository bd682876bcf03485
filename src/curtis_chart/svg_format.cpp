#include "curtis_chart/formats.hpp"

#include "report/space_name.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace curtis {

namespace {

// Pixels per degree, and the margins around the grid.
constexpr double unit = 24;
constexpr double left = 56;
constexpr double top = 48;
constexpr double bottom = 48;
constexpr double legendWidth = 230;
constexpr double dotRadius = 4.5;
constexpr double dotSpacing = 9.5;
constexpr int dotsPerRow = 3;

std::string escaped(const std::string& text) {
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
        default:
            result += c;
        }
    }
    return result;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// A small palette that stays distinguishable (Okabe and Ito's, for colour
// blindness too), one colour per cell index in turn; the label on each dot
// does the rest.
constexpr const char* palette[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                   "#E69F00", "#56B4E9", "#000000", "#F0E442"};
constexpr int paletteSize = sizeof palette / sizeof palette[0];

std::string cellColour(std::int32_t cell) {
    const int index = static_cast<int>(((cell % paletteSize) + paletteSize) % paletteSize);
    return palette[index];
}

// The grid: x the stem in the space itself, from the bottom cell a (the
// least stem any level reaches) for `width` stems; y the filtration s - 1.
struct Layout {
    std::int32_t firstStem;
    int width;
    int height;

    double x(double stem) const { return left + (stem - firstStem) * unit; }
    double y(double filtration) const { return top + (height - 1 - filtration) * unit; }
    double pictureWidth() const { return left + (width - 1) * unit + 32 + legendWidth; }
    double pictureHeight() const { return top + (height - 1) * unit + bottom; }
};

// A line of the class, with extra attributes and, if not empty, a title.
std::string line(const char* cls, double x1, double y1, double x2, double y2,
                 const std::string& extra = "", const std::string& title = "") {
    std::string text = std::string("<line class=\"") + cls + "\" x1=\"" + number(x1) + "\" y1=\"" +
                       number(y1) + "\" x2=\"" + number(x2) + "\" y2=\"" + number(y2) + "\"" +
                       extra;
    return title.empty() ? text + "/>\n" : text + "><title>" + escaped(title) + "</title></line>\n";
}

// The offset of dot i of count within its bidegree, in rows of dotsPerRow.
std::pair<double, double> dotOffset(int i, int count) {
    const int rows = (count + dotsPerRow - 1) / dotsPerRow;
    const int row = i / dotsPerRow;
    const int inRow = std::min(dotsPerRow, count - row * dotsPerRow);
    return {(i % dotsPerRow - (inRow - 1) / 2.0) * dotSpacing,
            (row - (rows - 1) / 2.0) * dotSpacing};
}

} // namespace

std::string chartSvg(const PrintedChart& chart, const SvgOptions& options) {
    int minT = 0;
    int maxT = 1;
    if (!chart.degrees.empty()) {
        minT = chart.degrees.front().t;
        maxT = chart.degrees.back().t;
    }
    const std::int32_t bottomCell = -chart.weight;
    // In total degree t the stems run from a (level t - 1) to a + t - 1
    // (level 0), the filtrations from 0 to t - 1.
    const Layout layout{bottomCell, std::max(maxT, 2), std::max(maxT, 2)};
    const int labelStep = layout.width > 40 ? 4 : 2;

    // Survivors by bidegree (stem, filtration).
    std::map<std::pair<std::int32_t, int>, std::vector<const PrintedMonomial*>> dots;
    std::set<std::int32_t> cells;
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            for (const PrintedLine& printed : level.lines) {
                if (!printed.arrow) {
                    dots[{level.coweight, level.s - 1}].push_back(&printed.word);
                    cells.insert(printed.word.front());
                }
            }
        }
    }

    std::string svg;
    const std::string title = "Curtis chart of " + spaceName(bottomCell, chart.topCell) +
                              ", total degrees " + std::to_string(minT) + " to " +
                              std::to_string(maxT);
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(layout.pictureWidth()) +
           "\" height=\"" + number(layout.pictureHeight()) + "\" viewBox=\"0 0 " +
           number(layout.pictureWidth()) + " " + number(layout.pictureHeight()) +
           "\" font-family=\"sans-serif\" font-size=\"11\">\n";
    svg += "<title>" + escaped(title) + "</title>\n";
    svg += "<defs><marker id=\"head\" viewBox=\"0 0 6 6\" refX=\"6\" refY=\"3\" "
           "markerWidth=\"6\" markerHeight=\"6\" orient=\"auto\"><path d=\"M0,0 L6,3 L0,6 "
           "z\" fill=\"#777\"/></marker></defs>\n";
    svg += "<style>\n"
           "  .grid { stroke: #e4e4e4; stroke-width: 1; }\n"
           "  .axis { stroke: #444; stroke-width: 1.2; }\n"
           "  .outside { fill: #f0f0f0; }\n"
           "  .arrow { stroke: #777; stroke-width: 0.7; }\n"
           "  .survivor { stroke: #222; stroke-width: 0.6; }\n"
           "  .label { fill: #333; }\n"
           "  .cell { fill: #222; font-size: 6.5px; }\n"
           "  .h0, .h1, .h2 { stroke: #333; stroke-width: 1; }\n"
           "  .h3 { stroke: #333; stroke-width: 1; stroke-dasharray: 3 2; }\n"
           "</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text class=\"label\" x=\"" + number(left) + "\" y=\"20\" font-size=\"14\">" +
           escaped(title) + "</text>\n";

    // Every bidegree that was not computed, shaded: stem x and filtration y
    // belong to total degree t = x - a + y + 1.
    svg += "<g>\n";
    for (int dx = 0; dx < layout.width; ++dx) {
        for (int y = 0; y < layout.height; ++y) {
            const int t = dx + y + 1;
            if (t < minT || t > maxT) {
                svg += "<rect class=\"outside\" x=\"" + number(left + (dx - 0.5) * unit) +
                       "\" y=\"" + number(layout.y(y + 0.5)) + "\" width=\"" + number(unit) +
                       "\" height=\"" + number(unit) + "\"/>\n";
            }
        }
    }
    svg += "</g>\n";

    // Grid and ticks every degree, labels every labelStep.
    svg += "<g>\n";
    const double axisY = layout.y(0) + unit / 2;
    const double axisX = left - unit / 2;
    for (int dx = 0; dx < layout.width; ++dx) {
        const double x = left + dx * unit;
        svg += line("grid", x, layout.y(0), x, layout.y(layout.height - 1));
        svg += line("axis", x, axisY, x, axisY + 4);
        const std::int64_t stem = std::int64_t{bottomCell} + dx;
        if (stem % labelStep == 0) {
            svg += "<text class=\"label\" x=\"" + number(x) + "\" y=\"" + number(axisY + 16) +
                   "\" text-anchor=\"middle\">" + std::to_string(stem) + "</text>\n";
        }
    }
    for (int y = 0; y < layout.height; ++y) {
        svg += line("grid", left, layout.y(y), left + (layout.width - 1) * unit, layout.y(y));
        svg += line("axis", axisX - 4, layout.y(y), axisX, layout.y(y));
        if (y % labelStep == 0) {
            svg += "<text class=\"label\" x=\"" + number(axisX - 7) + "\" y=\"" +
                   number(layout.y(y) + 4) + "\" text-anchor=\"end\">" + std::to_string(y) +
                   "</text>\n";
        }
    }
    svg += line("axis", axisX, axisY, left + (layout.width - 1) * unit + unit / 2, axisY);
    svg += line("axis", axisX, axisY, axisX, layout.y(layout.height - 1) - unit / 2);
    svg += "<text class=\"label\" x=\"" + number(left + (layout.width - 1) * unit / 2) + "\" y=\"" +
           number(layout.pictureHeight() - 6) + "\" text-anchor=\"middle\">stem t - s - w in " +
           escaped(spaceName(bottomCell, chart.topCell)) + "</text>\n";
    svg += "<text class=\"label\" transform=\"translate(14 " +
           number(layout.y((layout.height - 1) / 2.0)) +
           ") rotate(-90)\" text-anchor=\"middle\">Adams filtration s - 1</text>\n";
    svg += "</g>\n";

    // Pairings that change the cell, only when asked for, under the dots:
    // thin arrows from the source at (stem + 1, s - 2) to the target at
    // (stem, s - 1), stopping short of the target's dots.
    if (options.arrows) {
        svg += "<g>\n";
        for (const PrintedDegree& degree : chart.degrees) {
            for (const PrintedLevel& level : degree.levels) {
                for (const PrintedLine& printed : level.lines) {
                    if (!printed.arrow) {
                        continue;
                    }
                    const double x1 = layout.x(level.coweight + 1);
                    const double y1 = layout.y(level.s - 2);
                    const double x2 = layout.x(level.coweight);
                    const double y2 = layout.y(level.s - 1);
                    const double length = std::hypot(x2 - x1, y2 - y1);
                    const double shorten = (length - dotSpacing) / length;
                    svg +=
                        line("arrow", x1, y1, x1 + (x2 - x1) * shorten, y1 + (y2 - y1) * shorten,
                             " marker-end=\"url(#head)\"",
                             monomialText(printed.word) + " <-- " + monomialText(printed.source));
                }
            }
        }
        svg += "</g>\n";
    }

    // Products, under the dots: from each survivor to each term of its
    // product, h0 vertical, h1 of slope 1, h2 of slope 1/3, h3 if asked for.
    // A bidegree holds the survivors of one level, in the chart's order.
    const auto centre = [&](std::int32_t stem, int filtration, std::size_t i) {
        const auto at = dots.find({stem, filtration});
        const int count = at == dots.end() ? 1 : static_cast<int>(at->second.size());
        const auto [dx, dy] = dotOffset(static_cast<int>(i), count);
        return std::pair{layout.x(stem) + dx, layout.y(filtration) + dy};
    };
    if (chart.hasProducts) {
        svg += "<g>\n";
        for (const PrintedDegree& degree : chart.degrees) {
            for (const PrintedLevel& level : degree.levels) {
                for (std::size_t j = 0; j < level.products.size(); ++j) {
                    const auto [x1, y1] = centre(level.coweight, level.s - 1, j);
                    for (int i = 0; i < (options.h3Lines ? 4 : 3); ++i) {
                        const auto& terms = level.products[j].terms[static_cast<std::size_t>(i)];
                        for (const std::size_t term : terms.value_or(std::vector<std::size_t>{})) {
                            const auto [x2, y2] =
                                centre(level.coweight + (1 << i) - 1, level.s, term);
                            const char* const classes[] = {"h0", "h1", "h2", "h3"};
                            svg += line(classes[i], x1, y1, x2, y2);
                        }
                    }
                }
            }
        }
        svg += "</g>\n";
    }

    // Survivors, side by side within a bidegree, rows of dotsPerRow, each
    // labelled with its cell index.
    svg += "<g>\n";
    for (const auto& [bidegree, monomials] : dots) {
        const int count = static_cast<int>(monomials.size());
        for (int i = 0; i < count; ++i) {
            const auto [dx, dy] = dotOffset(i, count);
            const PrintedMonomial& monomial = *monomials[static_cast<std::size_t>(i)];
            const double cx = layout.x(bidegree.first) + dx;
            const double cy = layout.y(bidegree.second) + dy;
            svg += "<g class=\"survivor-dot\"><circle class=\"survivor\" cx=\"" + number(cx) +
                   "\" cy=\"" + number(cy) + "\" r=\"" + number(dotRadius) + "\" fill=\"" +
                   cellColour(monomial.front()) + "\"><title>" + escaped(monomialText(monomial)) +
                   "</title></circle><text class=\"cell\" x=\"" + number(cx + dotRadius) +
                   "\" y=\"" + number(cy - dotRadius + 1) + "\">" +
                   std::to_string(monomial.front()) + "</text></g>\n";
        }
    }
    svg += "</g>\n";

    // The legend: the colours of the cells that occur, and what the marks
    // mean.
    const double legendX = left + (layout.width - 1) * unit + 40;
    svg += "<g>\n<text class=\"label\" x=\"" + number(legendX) + "\" y=\"" + number(top) +
           "\" font-weight=\"bold\">cell index</text>\n";
    double legendY = top + 18;
    const int shown = std::min<int>(static_cast<int>(cells.size()), paletteSize);
    auto cell = cells.begin();
    for (int i = 0; i < shown; ++i, ++cell) {
        svg += "<circle cx=\"" + number(legendX + 5) + "\" cy=\"" + number(legendY - 4) +
               "\" r=\"" + number(dotRadius) + "\" fill=\"" + cellColour(*cell) +
               "\" stroke=\"#222\" stroke-width=\"0.6\"/>\n";
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
        svg += "<text class=\"label\" x=\"" + number(legendX + 16) + "\" y=\"" + number(legendY) +
               "\">" + cellsOfColour + "</text>\n";
        legendY += 16;
    }
    svg += "<text class=\"label\" x=\"" + number(legendX) + "\" y=\"" + number(legendY + 4) +
           "\">each dot is labelled</text>\n";
    svg += "<text class=\"label\" x=\"" + number(legendX) + "\" y=\"" + number(legendY + 18) +
           "\">with its cell index</text>\n";
    if (chart.hasProducts) {
        legendY += 40;
        svg += "<text class=\"label\" x=\"" + number(legendX) + "\" y=\"" + number(legendY) +
               "\">lines: products by h0 (vertical),</text>\n";
        svg += "<text class=\"label\" x=\"" + number(legendX) + "\" y=\"" + number(legendY + 14) +
               "\">h1 (slope 1), h2 (slope 1/3)" + (options.h3Lines ? ", h3 (dashed)" : "") +
               "</text>\n";
        legendY += 14;
    }
    if (options.arrows) {
        legendY += 40;
        svg += line("arrow", legendX, legendY + 4, legendX + 12, legendY - 8,
                    " marker-end=\"url(#head)\"");
        svg += "<text class=\"label\" x=\"" + number(legendX + 16) + "\" y=\"" + number(legendY) +
               "\">pairing that changes the cell</text>\n";
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

} // namespace curtis
