#include "picture/plane_chart.hpp"

#include "picture/picture_parts.hpp"

#include <algorithm>
#include <map>
#include <utility>

namespace curtis {

namespace {

// A monomial's lambda indices, the cell left out: the sphere's class on it.
std::string lambdaText(const PrintedMonomial& word) {
    std::string text;
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (!text.empty()) {
            text += ' ';
        }
        text += std::to_string(word[i]);
    }
    return text.empty() ? "1" : text;
}

// Adds a dot, widening the plane's ranges to hold it.
std::size_t addDot(PlaneChart& plane, PlaneDot dot) {
    if (plane.dots.empty()) {
        plane.firstX = plane.lastX = dot.x;
        plane.firstY = plane.lastY = dot.y;
    }
    plane.firstX = std::min(plane.firstX, dot.x);
    plane.lastX = std::max(plane.lastX, dot.x);
    plane.firstY = std::min(plane.firstY, dot.y);
    plane.lastY = std::max(plane.lastY, dot.y);
    plane.dots.push_back(std::move(dot));
    return plane.dots.size() - 1;
}

std::string nameOr(const ChartClass& c, const std::string& otherwise) {
    return c.names && !c.names->name.empty() ? c.names->name : otherwise;
}

} // namespace

PlaneChart ehpPlane(const PrintedChart& chart) {
    PlaneChart plane;
    plane.title = "The algebraic EHP spectral sequence of S^0 read off the Curtis table";
    plane.yName = "the sphere S^N a class is born on";
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at)) {
                continue;
            }
            const int stem = level.at.stem();
            for (const ChartClass& c : level.classes) {
                addDot(plane, {stem, c.born.value_or(0), nameOr(c, monomialText(c.word)),
                               monomialText(c.word) + ", on every sphere from S^" +
                                   std::to_string(c.born.value_or(0)),
                               std::nullopt});
            }
            for (const PrintedEhp& pair : level.ehp) {
                const std::size_t to = addDot(
                    plane, {stem, pair.born, monomialText(pair.target),
                            monomialText(pair.target) + ", born on S^" + std::to_string(pair.born) +
                                ", dies on S^" + std::to_string(pair.dies),
                            pair.dies});
                const std::size_t from = addDot(
                    plane, {stem + 1, pair.dies, monomialText(pair.source),
                            monomialText(pair.source) + ", born on S^" + std::to_string(pair.dies) +
                                ", kills " + monomialText(pair.target),
                            std::nullopt});
                plane.arrows.push_back({from, to});
            }
        }
    }
    return plane;
}

PlaneChart cellsPlane(const PrintedChart& chart) {
    PlaneChart plane;
    plane.title = "The algebraic Atiyah-Hirzebruch spectral sequence of " + chart.plan.name() +
                  " read off the Curtis table";
    plane.yName = "the cell";
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at)) {
                continue;
            }
            const int stem = level.at.stem();
            for (const ChartClass& c : level.classes) {
                std::string name = nameOr(c, lambdaText(c.word));
                if (c.names && name.size() > 2 && name.back() == ']') {
                    name.erase(name.rfind('[')); // the cell is y
                }
                addDot(plane, {stem, c.word.front(), name, monomialText(c.word) + ", survives",
                               std::nullopt});
            }
            for (const ChartArrow& arrow : level.arrows) {
                // With --arrows N only the differentials of length N or more.
                if (arrow.source.front() - arrow.target.front() <
                    chart.plan.drawing.arrowsFromCellDifference) {
                    continue;
                }
                const std::size_t to =
                    addDot(plane, {stem, arrow.target.front(), lambdaText(arrow.target),
                                   monomialText(arrow.target) + ", hit from cell " +
                                       std::to_string(arrow.source.front()),
                                   std::nullopt});
                const std::size_t from = addDot(
                    plane, {stem + 1, arrow.source.front(), lambdaText(arrow.source),
                            monomialText(arrow.source) + ", hits " + monomialText(arrow.target),
                            std::nullopt});
                plane.arrows.push_back({from, to});
            }
        }
    }
    return plane;
}

PlaneChart planeOf(const PrintedChart& chart) {
    return chart.plan.drawing.chart == ChartKind::Ehp ? ehpPlane(chart) : cellsPlane(chart);
}

namespace {

constexpr double unit = 28;
constexpr double left = 64;
constexpr double top = 48;
constexpr double radius = 4;

// The centres of the dots: those of one place side by side.
std::vector<std::pair<double, double>> centres(const PlaneChart& plane) {
    std::map<std::pair<int, int>, int> count;
    for (const PlaneDot& dot : plane.dots) {
        ++count[{dot.x, dot.y}];
    }
    std::map<std::pair<int, int>, int> placed;
    std::vector<std::pair<double, double>> at;
    for (const PlaneDot& dot : plane.dots) {
        const int n = count[{dot.x, dot.y}];
        const int i = placed[{dot.x, dot.y}]++;
        const double spread = std::min(unit * 0.8 / n, 9.0);
        at.emplace_back(left + (dot.x - plane.firstX) * unit + (i - (n - 1) / 2.0) * spread,
                        top + (plane.lastY - dot.y) * unit);
    }
    return at;
}

} // namespace

namespace {

// The grid, the stems and the y values, and the axes' names.
void writePlaneGrid(std::FILE* out, const PlaneChart& plane, int columns, int rows, double height) {
    for (int dx = 0; dx < columns; ++dx) {
        const double x = left + dx * unit;
        std::fprintf(out,
                     "<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" stroke=\"#ddd\"/>"
                     "<text x=\"%s\" y=\"%s\" text-anchor=\"middle\">%d</text>\n",
                     pictureNumber(x).c_str(), pictureNumber(top).c_str(), pictureNumber(x).c_str(),
                     pictureNumber(top + (rows - 1) * unit).c_str(), pictureNumber(x).c_str(),
                     pictureNumber(top + rows * unit).c_str(), plane.firstX + dx);
    }
    for (int dy = 0; dy < rows; ++dy) {
        const double y = top + (rows - 1 - dy) * unit;
        std::fprintf(out,
                     "<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" stroke=\"#ddd\"/>"
                     "<text x=\"%s\" y=\"%s\" text-anchor=\"end\">%d</text>\n",
                     pictureNumber(left).c_str(), pictureNumber(y).c_str(),
                     pictureNumber(left + (columns - 1) * unit).c_str(), pictureNumber(y).c_str(),
                     pictureNumber(left - 10).c_str(), pictureNumber(y + 4).c_str(),
                     plane.firstY + dy);
    }
    std::fprintf(out, "<text x=\"%s\" y=\"%s\" text-anchor=\"middle\">stem; y: %s</text>\n",
                 pictureNumber(left + (columns - 1) * unit / 2).c_str(),
                 pictureNumber(height - 8).c_str(), escapedXml(plane.yName).c_str());
}

} // namespace

void writePlaneSvg(std::FILE* out, const PlaneChart& plane) {
    const int columns = std::max(1, plane.lastX - plane.firstX + 1);
    const int rows = std::max(1, plane.lastY - plane.firstY + 1);
    const double width =
        std::max(left + columns * unit + 24, left + 7.5 * static_cast<double>(plane.title.size()));
    const double height = top + rows * unit + 40;
    std::fprintf(out,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%s\" height=\"%s\" "
                 "viewBox=\"0 0 %s %s\" font-family=\"sans-serif\" font-size=\"11\">\n"
                 "<title>%s</title>\n<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n"
                 "<defs><marker id=\"head\" viewBox=\"0 0 6 6\" refX=\"6\" refY=\"3\" "
                 "markerWidth=\"6\" markerHeight=\"6\" orient=\"auto\"><path d=\"M0,0 L6,3 L0,6 "
                 "z\" fill=\"#b2182b\"/></marker></defs>\n",
                 pictureNumber(width).c_str(), pictureNumber(height).c_str(),
                 pictureNumber(width).c_str(), pictureNumber(height).c_str(),
                 escapedXml(plane.title).c_str());
    std::fprintf(out, "<text x=\"%s\" y=\"20\" font-size=\"14\">%s</text>\n",
                 pictureNumber(left).c_str(), escapedXml(plane.title).c_str());
    writePlaneGrid(out, plane, columns, rows, height);
    const std::vector<std::pair<double, double>> at = centres(plane);
    for (const PlaneArrow& arrow : plane.arrows) {
        std::fprintf(out,
                     "<line class=\"pairing\" x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" "
                     "stroke=\"#b2182b\" marker-end=\"url(#head)\"/>\n",
                     pictureNumber(at[arrow.from].first).c_str(),
                     pictureNumber(at[arrow.from].second).c_str(),
                     pictureNumber(at[arrow.to].first).c_str(),
                     pictureNumber(at[arrow.to].second).c_str());
    }
    for (std::size_t d = 0; d < plane.dots.size(); ++d) {
        const PlaneDot& dot = plane.dots[d];
        const std::string x = pictureNumber(at[d].first);
        const std::string y = pictureNumber(at[d].second);
        std::fprintf(out,
                     "<g class=\"class-dot\"><circle class=\"class\" cx=\"%s\" cy=\"%s\" r=\"%s\" "
                     "fill=\"%s\" stroke=\"#2166ac\"><title>%s</title></circle>"
                     "<text font-size=\"6\" x=\"%s\" y=\"%s\">%s</text>",
                     x.c_str(), y.c_str(), pictureNumber(radius).c_str(),
                     dot.diesOn ? "white" : "#2166ac", escapedXml(dot.title).c_str(),
                     pictureNumber(at[d].first + radius).c_str(),
                     pictureNumber(at[d].second - radius).c_str(), escapedXml(dot.label).c_str());
        if (dot.diesOn) {
            std::fprintf(out,
                         "<text class=\"dies\" font-size=\"6\" x=\"%s\" y=\"%s\">\u2020%d</text>",
                         pictureNumber(at[d].first + radius).c_str(),
                         pictureNumber(at[d].second + radius + 6).c_str(), *dot.diesOn);
        }
        std::fputs("</g>\n", out);
    }
    std::fputs("</svg>\n", out);
}

} // namespace curtis
