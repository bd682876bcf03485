#include "curtis_chart/formats.hpp"

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

std::string monomialText(const PrintedMonomial& monomial) {
    std::string text;
    for (std::size_t i = 0; i < monomial.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += std::to_string(monomial[i]);
    }
    return text;
}

// A colour per cell index: hues a golden angle apart, so neighbouring cells
// look different.
std::string cellColour(int rank) {
    const double hue = std::fmod(rank * 137.508, 360.0);
    return "hsl(" + number(hue) + ",70%,40%)";
}

struct Layout {
    int width;  // degrees along x: 0 .. width - 1
    int height; // degrees along y: 0 .. height - 1

    double x(double degree) const { return left + degree * unit; }
    double y(double degree) const { return top + (height - 1 - degree) * unit; }
    double pictureWidth() const { return left + (width - 1) * unit + 32 + legendWidth; }
    double pictureHeight() const { return top + (height - 1) * unit + bottom; }
};

} // namespace

std::string chartSvg(const PrintedChart& chart) {
    int minT = 0;
    int maxT = 1;
    if (!chart.degrees.empty()) {
        minT = chart.degrees.front().t;
        maxT = chart.degrees.back().t;
    }
    const Layout layout{std::max(maxT, 2), std::max(maxT, 2)};
    const int labelStep = layout.width > 40 ? 4 : 2;

    // Survivors by bidegree, and the cell indices that occur.
    std::map<std::pair<int, int>, std::vector<const PrintedMonomial*>> dots;
    std::set<std::int32_t> cells;
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            for (const PrintedLine& line : level.lines) {
                if (!line.arrow) {
                    dots[{level.topologicalDegree, level.s - 1}].push_back(&line.word);
                    cells.insert(line.word.front());
                }
            }
        }
    }
    std::map<std::int32_t, int> cellRank;
    for (const std::int32_t cell : cells) {
        cellRank.emplace(cell, static_cast<int>(cellRank.size()));
    }

    std::string svg;
    const std::string title = "Curtis chart, weight " + std::to_string(chart.weight) +
                              ", total degrees " + std::to_string(minT) + " to " +
                              std::to_string(maxT);
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(layout.pictureWidth()) +
           "\" height=\"" + number(layout.pictureHeight()) + "\" viewBox=\"0 0 " +
           number(layout.pictureWidth()) + " " + number(layout.pictureHeight()) +
           "\" font-family=\"sans-serif\" font-size=\"11\">\n";
    svg += "<title>" + escaped(title) + "</title>\n";
    svg += "<style>\n"
           "  .grid { stroke: #e4e4e4; stroke-width: 1; }\n"
           "  .axis { stroke: #444; stroke-width: 1.2; }\n"
           "  .outside { fill: #f4f4f4; }\n"
           "  .arrow { stroke: #9a9a9a; stroke-width: 1; stroke-opacity: 0.75; }\n"
           "  .survivor { stroke: #222; stroke-width: 0.6; }\n"
           "  .label { fill: #333; }\n"
           "</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text class=\"label\" x=\"" + number(left) + "\" y=\"20\" font-size=\"14\">" +
           escaped(title) + "</text>\n";

    // Bidegrees outside the computed total degrees, shaded: t = x + y + 1.
    svg += "<g>\n";
    for (int x = 0; x < layout.width; ++x) {
        for (int y = 0; y < layout.height; ++y) {
            const int t = x + y + 1;
            if (t < minT || t > maxT) {
                svg += "<rect class=\"outside\" x=\"" + number(layout.x(x - 0.5)) + "\" y=\"" +
                       number(layout.y(y + 0.5)) + "\" width=\"" + number(unit) + "\" height=\"" +
                       number(unit) + "\"/>\n";
            }
        }
    }
    svg += "</g>\n";

    // Grid and ticks every degree, labels every labelStep.
    svg += "<g>\n";
    for (int x = 0; x < layout.width; ++x) {
        svg += "<line class=\"grid\" x1=\"" + number(layout.x(x)) + "\" y1=\"" +
               number(layout.y(0)) + "\" x2=\"" + number(layout.x(x)) + "\" y2=\"" +
               number(layout.y(layout.height - 1)) + "\"/>\n";
        svg += "<line class=\"axis\" x1=\"" + number(layout.x(x)) + "\" y1=\"" +
               number(layout.y(0) + unit / 2) + "\" x2=\"" + number(layout.x(x)) + "\" y2=\"" +
               number(layout.y(0) + unit / 2 + 4) + "\"/>\n";
        if (x % labelStep == 0) {
            svg += "<text class=\"label\" x=\"" + number(layout.x(x)) + "\" y=\"" +
                   number(layout.y(0) + unit / 2 + 16) + "\" text-anchor=\"middle\">" +
                   std::to_string(x) + "</text>\n";
        }
    }
    for (int y = 0; y < layout.height; ++y) {
        svg += "<line class=\"grid\" x1=\"" + number(layout.x(0)) + "\" y1=\"" +
               number(layout.y(y)) + "\" x2=\"" + number(layout.x(layout.width - 1)) + "\" y2=\"" +
               number(layout.y(y)) + "\"/>\n";
        svg += "<line class=\"axis\" x1=\"" + number(layout.x(0) - unit / 2 - 4) + "\" y1=\"" +
               number(layout.y(y)) + "\" x2=\"" + number(layout.x(0) - unit / 2) + "\" y2=\"" +
               number(layout.y(y)) + "\"/>\n";
        if (y % labelStep == 0) {
            svg += "<text class=\"label\" x=\"" + number(layout.x(0) - unit / 2 - 7) + "\" y=\"" +
                   number(layout.y(y) + 4) + "\" text-anchor=\"end\">" + std::to_string(y) +
                   "</text>\n";
        }
    }
    svg += "<line class=\"axis\" x1=\"" + number(layout.x(0) - unit / 2) + "\" y1=\"" +
           number(layout.y(0) + unit / 2) + "\" x2=\"" +
           number(layout.x(layout.width - 1) + unit / 2) + "\" y2=\"" +
           number(layout.y(0) + unit / 2) + "\"/>\n";
    svg += "<line class=\"axis\" x1=\"" + number(layout.x(0) - unit / 2) + "\" y1=\"" +
           number(layout.y(0) + unit / 2) + "\" x2=\"" + number(layout.x(0) - unit / 2) +
           "\" y2=\"" + number(layout.y(layout.height - 1) - unit / 2) + "\"/>\n";
    svg += "<text class=\"label\" x=\"" + number(layout.x((layout.width - 1) / 2.0)) + "\" y=\"" +
           number(layout.pictureHeight() - 6) +
           "\" text-anchor=\"middle\">topological degree t - s</text>\n";
    svg += "<text class=\"label\" transform=\"translate(14 " +
           number(layout.y((layout.height - 1) / 2.0)) +
           ") rotate(-90)\" text-anchor=\"middle\">lambda indices s - 1</text>\n";
    svg += "</g>\n";

    // Arrow lines, under the dots: from the source at (t - s + 1, s - 2) to
    // the target at (t - s, s - 1).
    svg += "<g>\n";
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            for (const PrintedLine& line : level.lines) {
                if (!line.arrow) {
                    continue;
                }
                const int x = level.topologicalDegree;
                const int y = level.s - 1;
                svg += "<line class=\"arrow\" x1=\"" + number(layout.x(x + 1)) + "\" y1=\"" +
                       number(layout.y(y - 1)) + "\" x2=\"" + number(layout.x(x)) + "\" y2=\"" +
                       number(layout.y(y)) + "\"><title>" +
                       escaped(monomialText(line.word) + " <-- " + monomialText(line.source)) +
                       "</title></line>\n";
            }
        }
    }
    svg += "</g>\n";

    // Survivors, side by side within a bidegree, rows of dotsPerRow.
    svg += "<g>\n";
    for (const auto& [bidegree, monomials] : dots) {
        const int count = static_cast<int>(monomials.size());
        const int rows = (count + dotsPerRow - 1) / dotsPerRow;
        for (int i = 0; i < count; ++i) {
            const int row = i / dotsPerRow;
            const int inRow = std::min(dotsPerRow, count - row * dotsPerRow);
            const double dx = (i % dotsPerRow - (inRow - 1) / 2.0) * dotSpacing;
            const double dy = (row - (rows - 1) / 2.0) * dotSpacing;
            const PrintedMonomial& monomial = *monomials[static_cast<std::size_t>(i)];
            svg += "<circle class=\"survivor\" cx=\"" + number(layout.x(bidegree.first) + dx) +
                   "\" cy=\"" + number(layout.y(bidegree.second) + dy) + "\" r=\"" +
                   number(dotRadius) + "\" fill=\"" + cellColour(cellRank.at(monomial.front())) +
                   "\"><title>" + escaped(monomialText(monomial)) + "</title></circle>\n";
        }
    }
    svg += "</g>\n";

    // The legend: one swatch per cell index that occurs.
    const double legendX = layout.x(layout.width - 1) + 40;
    svg += "<g>\n<text class=\"label\" x=\"" + number(legendX) + "\" y=\"" + number(top) +
           "\" font-weight=\"bold\">cell index</text>\n";
    double legendY = top + 18;
    for (const auto& [cell, rank] : cellRank) {
        svg += "<circle cx=\"" + number(legendX + 5) + "\" cy=\"" + number(legendY - 4) +
               "\" r=\"" + number(dotRadius) + "\" fill=\"" + cellColour(rank) +
               "\" stroke=\"#222\" stroke-width=\"0.6\"/>\n";
        svg += "<text class=\"label\" x=\"" + number(legendX + 16) + "\" y=\"" + number(legendY) +
               "\">" + std::to_string(cell) + "</text>\n";
        legendY += 16;
    }
    svg += "<line class=\"arrow\" x1=\"" + number(legendX) + "\" y1=\"" + number(legendY + 4) +
           "\" x2=\"" + number(legendX + 12) + "\" y2=\"" + number(legendY - 8) + "\"/>\n";
    svg += "<text class=\"label\" x=\"" + number(legendX + 16) + "\" y=\"" + number(legendY) +
           "\">pairing that changes the cell</text>\n";
    svg += "</g>\n</svg>\n";
    return svg;
}

} // namespace curtis
