#include "picture/plane_chart.hpp"

#include "picture/picture_parts.hpp"
#include "writers/json_emitter.hpp"

#include <algorithm>
#include <cmath>
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

// Adds a pairing: its target at the level's stem, its source one stem up.
void addPairing(PlaneChart& plane, PlaneDot target, PlaneDot source) {
    const std::size_t to = addDot(plane, std::move(target));
    const std::size_t from = addDot(plane, std::move(source));
    plane.arrows.push_back({from, to});
}

std::string nameOr(const ChartClass& c, const std::string& otherwise) {
    return c.names && !c.names->name.empty() ? c.names->name : otherwise;
}

// Calls each(level) for every level the chart shows.
template <typename F> void forEachShown(const PrintedChart& chart, F&& each) {
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (chart.plan.shows(level.at)) {
                each(level);
            }
        }
    }
}

} // namespace

PlaneChart ehpPlane(const PrintedChart& chart) {
    PlaneChart plane;
    plane.title = "The algebraic EHP spectral sequence of S^0 read off the Curtis table";
    plane.yName = "the sphere S^N a class is born on";
    const int shortest = chart.plan.drawing.arrowsFromCellDifference;
    plane.legend = {
        {PlaneLegendEntry::Mark::Dot, {"a class, on the sphere S^N", "it is born on"}},
        {PlaneLegendEntry::Mark::Ring, {"a class that dies on S^M (\u2020M)"}},
        {PlaneLegendEntry::Mark::Arrow,
         {"from the class that kills it,", "born on S^M, one stem up",
          shortest > 1 ? "(those that live " + std::to_string(shortest) + " spheres or more)"
                       : ""}}};
    forEachShown(chart, [&](const PrintedLevel& level) {
        const int stem = level.at.stem();
        for (const ChartClass& c : level.classes) {
            const std::string word = monomialText(c.word);
            const int born = c.born.value_or(0);
            addDot(plane,
                   {stem, born, nameOr(c, word),
                    word + ", on every sphere from S^" + std::to_string(born), word, std::nullopt});
        }
        for (const PrintedEhp& pair : level.ehp) {
            // With --arrows N only the classes that live N spheres or more.
            if (pair.dies - pair.born < shortest) {
                continue;
            }
            const std::string target = monomialText(pair.target);
            const std::string source = monomialText(pair.source);
            addPairing(plane,
                       {stem, pair.born, target,
                        target + ", born on S^" + std::to_string(pair.born) + ", dies on S^" +
                            std::to_string(pair.dies),
                        target, pair.dies},
                       {stem + 1, pair.dies, source,
                        source + ", born on S^" + std::to_string(pair.dies) + ", kills " + target,
                        source, std::nullopt});
        }
    });
    return plane;
}

PlaneChart cellsPlane(const PrintedChart& chart) {
    PlaneChart plane;
    plane.title = "The algebraic Atiyah-Hirzebruch spectral sequence of " + chart.plan.name() +
                  " read off the Curtis table";
    plane.yName = "the cell";
    const int shortest = chart.plan.drawing.arrowsFromCellDifference;
    plane.legend = {{PlaneLegendEntry::Mark::Dot, {"a class of E1 on its cell"}},
                    {PlaneLegendEntry::Mark::Arrow,
                     {"a differential, from its source", "one stem up to its target",
                      shortest > 1 ? "(of length " + std::to_string(shortest) + " or more)" : ""}}};
    forEachShown(chart, [&](const PrintedLevel& level) {
        const int stem = level.at.stem();
        for (const ChartClass& c : level.classes) {
            std::string name = nameOr(c, lambdaText(c.word));
            if (c.names && name.size() > 2 && name.back() == ']') {
                name.erase(name.rfind('[')); // the cell is y
                if (name.front() == '(' && name.back() == ')') {
                    name = name.substr(1, name.size() - 2);
                }
            }
            const std::string word = monomialText(c.word);
            addDot(plane, {stem, c.word.front(), name, word + ", survives", word, std::nullopt});
        }
        for (const ChartArrow& arrow : level.arrows) {
            // With --arrows N only the differentials of length N or more.
            if (arrow.source.front() - arrow.target.front() < shortest) {
                continue;
            }
            const std::string target = monomialText(arrow.target);
            const std::string source = monomialText(arrow.source);
            const auto label = [](const std::string& name, const PrintedMonomial& word) {
                return name.empty() ? lambdaText(word) : name;
            };
            addPairing(plane,
                       {stem, arrow.target.front(), label(arrow.targetName, arrow.target),
                        target + ", hit from cell " + std::to_string(arrow.source.front()), target,
                        std::nullopt},
                       {stem + 1, arrow.source.front(), label(arrow.sourceName, arrow.source),
                        source + ", hits " + target, source, std::nullopt});
        }
    });
    return plane;
}

PlaneChart planeOf(const PrintedChart& chart) {
    return chart.plan.drawing.chart == ChartKind::Ehp ? ehpPlane(chart) : cellsPlane(chart);
}

PlaneLayout::PlaneLayout(const PlaneChart& plane)
    : columns(std::max(1, plane.lastX - plane.firstX + 1)),
      rows(std::max(1, plane.lastY - plane.firstY + 1)) {
    std::map<std::pair<int, int>, int> count;
    int most = 1;
    for (const PlaneDot& dot : plane.dots) {
        most = std::max(most, ++count[{dot.x, dot.y}]);
    }
    // The fullest place holds its dots in a square of side `across`; the
    // grid's unit grows to hold it with room between places.
    const int across = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(most))));
    unit = std::max(36.0, 9.0 * across + 12);
    const double spacing = std::min(9.0, (unit - 10) / across);
    radius = std::min(4.0, spacing * 0.4);
    width = left + columns * unit + 24 + legendWidth;
    height = top + rows * unit + 40;
    std::map<std::pair<int, int>, int> placed;
    for (const PlaneDot& dot : plane.dots) {
        const int n = count[{dot.x, dot.y}];
        const int i = placed[{dot.x, dot.y}]++;
        const int wide = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
        const int high = (n + wide - 1) / wide;
        centres.emplace_back(
            left + (dot.x - plane.firstX) * unit + (i % wide - (wide - 1) / 2.0) * spacing,
            top + (plane.lastY - dot.y) * unit + (i / wide - (high - 1) / 2.0) * spacing);
    }
    placeLabels(plane);
}

namespace {

constexpr double planeLabelSize = 7;
constexpr double planeDeathSize = 6;

} // namespace

void PlaneLayout::placeLabels(const PlaneChart& plane) {
    LabelPlacer placer(
        {left - unit / 2, top - unit / 2, left + columns * unit + 4, top + (rows - 0.5) * unit});
    for (const auto& [x, y] : centres) {
        placer.addDot(x, y, radius);
    }
    for (const PlaneArrow& arrow : plane.arrows) {
        placer.addSegment({centres[arrow.from].first, centres[arrow.from].second,
                           centres[arrow.to].first, centres[arrow.to].second});
    }
    std::vector<LabelRequest> requests;
    for (std::size_t d = 0; d < plane.dots.size(); ++d) {
        const auto [x, y] = centres[d];
        requests.push_back(
            {x, y, radius, textWidth(plane.dots[d].label, planeLabelSize), planeLabelSize});
        if (plane.dots[d].diesOn) {
            requests.push_back(
                {x, y, radius,
                 textWidth("\u2020" + std::to_string(*plane.dots[d].diesOn), planeDeathSize),
                 planeDeathSize});
        }
    }
    const std::vector<std::optional<LabelSpot>> spots = placer.place(requests);
    std::vector<std::string> entries;
    std::size_t next = 0;
    for (const PlaneDot& dot : plane.dots) {
        labels.push_back(spots[next++]);
        if (!labels.back()) {
            entries.push_back(labelTableEntry(dot.x, dot.y, dot.label));
        }
        deaths.push_back(dot.diesOn ? spots[next++] : std::nullopt);
        if (dot.diesOn && !deaths.back()) {
            entries.push_back(
                labelTableEntry(dot.x, dot.y, "\u2020" + std::to_string(*dot.diesOn)));
        }
    }
    unplaced = labelTable(std::move(entries), left, height, width - left);
    height += unplaced.height;
}

namespace {

// The grid and the axes' names; in the SVG document also the stems and the
// y values, which the page draws along its edges instead.
void writePlaneGrid(std::FILE* out, const PlaneChart& plane, const PlaneLayout& layout,
                    bool numbers) {
    const double left = PlaneLayout::left;
    const double top = PlaneLayout::top;
    const double unit = layout.unit;
    std::fputs("<g class=\"grid-lines\">\n", out);
    for (int dx = 0; dx < layout.columns; ++dx) {
        const std::string x = pictureNumber(left + dx * unit);
        std::fprintf(out, "<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" stroke=\"#ddd\"/>",
                     x.c_str(), pictureNumber(top).c_str(), x.c_str(),
                     pictureNumber(top + (layout.rows - 1) * unit).c_str());
        if (numbers) {
            std::fprintf(out, "<text x=\"%s\" y=\"%s\" text-anchor=\"middle\">%d</text>", x.c_str(),
                         pictureNumber(top + (layout.rows - 0.5) * unit + 12).c_str(),
                         plane.firstX + dx);
        }
        std::fputc('\n', out);
    }
    for (int dy = 0; dy < layout.rows; ++dy) {
        const double y = top + (layout.rows - 1 - dy) * unit;
        std::fprintf(out, "<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" stroke=\"#ddd\"/>",
                     pictureNumber(left).c_str(), pictureNumber(y).c_str(),
                     pictureNumber(left + (layout.columns - 1) * unit).c_str(),
                     pictureNumber(y).c_str());
        if (numbers) {
            std::fprintf(out, "<text x=\"%s\" y=\"%s\" text-anchor=\"end\">%d</text>",
                         pictureNumber(left - unit / 2 - 2).c_str(), pictureNumber(y + 4).c_str(),
                         plane.firstY + dy);
        }
        std::fputc('\n', out);
    }
    std::fprintf(out, "<text x=\"%s\" y=\"%s\" text-anchor=\"middle\">stem; y: %s</text>\n</g>\n",
                 pictureNumber(left + (layout.columns - 1) * unit / 2).c_str(),
                 pictureNumber(layout.height - layout.unplaced.height - 8).c_str(),
                 escapedXml(plane.yName).c_str());
}

// A dot, its label and a death's sphere where they were placed.
void writePlaneDot(std::FILE* out, const PlaneDot& dot, const PlaneLayout& layout, std::size_t d) {
    const auto [cx, cy] = layout.centres[d];
    std::fprintf(out,
                 "<g class=\"class-dot\"><circle class=\"class\" data-dot=\"%zu\" cx=\"%s\" "
                 "cy=\"%s\" r=\"%s\" fill=\"%s\" stroke=\"#2166ac\" tabindex=\"0\">"
                 "<title>%s</title></circle>",
                 d, pictureNumber(cx).c_str(), pictureNumber(cy).c_str(),
                 pictureNumber(layout.radius).c_str(), dot.diesOn ? "white" : "#2166ac",
                 escapedXml(dot.title).c_str());
    if (const std::optional<LabelSpot>& at = layout.labels[d]) {
        std::fprintf(out, "<text class=\"dot-label\" font-size=\"%g\" x=\"%s\" y=\"%s\">%s</text>",
                     planeLabelSize, pictureNumber(at->x).c_str(), pictureNumber(at->y).c_str(),
                     escapedXml(dot.label).c_str());
    }
    if (const std::optional<LabelSpot>& at = layout.deaths[d]) {
        std::fprintf(out, "<text class=\"dies\" font-size=\"%g\" x=\"%s\" y=\"%s\">\u2020%d</text>",
                     planeDeathSize, pictureNumber(at->x).c_str(), pictureNumber(at->y).c_str(),
                     *dot.diesOn);
    }
    std::fputs("</g>\n", out);
}

// The legend, right of the grid: each entry's mark, then its lines.
void writePlaneLegend(std::FILE* out, const PlaneChart& plane, const PlaneLayout& layout) {
    const double x = PlaneLayout::left + layout.columns * layout.unit + 8;
    double y = PlaneLayout::top;
    std::fputs("<g class=\"legend\">\n", out);
    for (const PlaneLegendEntry& entry : plane.legend) {
        const std::string cx = pictureNumber(x + 6);
        const std::string cy = pictureNumber(y - 4);
        if (entry.mark == PlaneLegendEntry::Mark::Arrow) {
            std::fprintf(out,
                         "<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" stroke=\"#b2182b\" "
                         "stroke-width=\"0.7\" marker-end=\"url(#head)\"/>\n",
                         pictureNumber(x).c_str(), pictureNumber(y + 2).c_str(),
                         pictureNumber(x + 12).c_str(), pictureNumber(y - 10).c_str());
        } else {
            std::fprintf(out,
                         "<circle cx=\"%s\" cy=\"%s\" r=\"4\" fill=\"%s\" stroke=\"#2166ac\"/>\n",
                         cx.c_str(), cy.c_str(),
                         entry.mark == PlaneLegendEntry::Mark::Ring ? "white" : "#2166ac");
        }
        for (const std::string& line : entry.lines) {
            if (!line.empty()) {
                std::fprintf(out, "<text x=\"%s\" y=\"%s\">%s</text>\n",
                             pictureNumber(x + 18).c_str(), pictureNumber(y).c_str(),
                             escapedXml(line).c_str());
                y += 14;
            }
        }
        y += 8;
    }
    std::fputs("</g>\n", out);
}

} // namespace

void writePlaneParts(std::FILE* out, const PlaneChart& plane, const PlaneLayout& layout,
                     bool numbers) {
    std::fputs("<defs><marker id=\"head\" viewBox=\"0 0 6 6\" refX=\"6\" refY=\"3\" "
               "markerWidth=\"6\" markerHeight=\"6\" orient=\"auto\"><path d=\"M0,0 L6,3 L0,6 "
               "z\" fill=\"#b2182b\"/></marker></defs>\n",
               out);
    writePlaneGrid(out, plane, layout, numbers);
    std::fputs("<g class=\"pairings\">\n", out);
    for (std::size_t a = 0; a < plane.arrows.size(); ++a) {
        const PlaneArrow& arrow = plane.arrows[a];
        std::fprintf(out,
                     "<line class=\"pairing\" data-from=\"%zu\" data-to=\"%zu\" x1=\"%s\" "
                     "y1=\"%s\" x2=\"%s\" y2=\"%s\" stroke=\"#b2182b\" stroke-width=\"0.7\" "
                     "marker-end=\"url(#head)\"/>\n",
                     arrow.from, arrow.to, pictureNumber(layout.centres[arrow.from].first).c_str(),
                     pictureNumber(layout.centres[arrow.from].second).c_str(),
                     pictureNumber(layout.centres[arrow.to].first).c_str(),
                     pictureNumber(layout.centres[arrow.to].second).c_str());
    }
    std::fputs("</g>\n<g class=\"dots\">\n", out);
    for (std::size_t d = 0; d < plane.dots.size(); ++d) {
        writePlaneDot(out, plane.dots[d], layout, d);
    }
    std::fputs("</g>\n", out);
    writePlaneLegend(out, plane, layout);
    writeLabelTable(out, layout.unplaced);
}

void writePlaneSvg(std::FILE* out, const PlaneChart& plane) {
    const PlaneLayout layout(plane);
    // The document also holds the title, above the grid.
    const std::string width = pictureNumber(
        std::max(layout.width, PlaneLayout::left + 7.5 * static_cast<double>(plane.title.size())));
    const std::string height = pictureNumber(layout.height);
    std::fprintf(out,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%s\" height=\"%s\" "
                 "viewBox=\"0 0 %s %s\" font-family=\"sans-serif\" font-size=\"11\">\n"
                 "<title>%s</title>\n<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
                 width.c_str(), height.c_str(), width.c_str(), height.c_str(),
                 escapedXml(plane.title).c_str());
    std::fprintf(out, "<text x=\"%s\" y=\"20\" font-size=\"14\">%s</text>\n",
                 pictureNumber(PlaneLayout::left).c_str(), escapedXml(plane.title).c_str());
    writePlaneParts(out, plane, layout, true);
    std::fputs("</svg>\n", out);
}

void writePlaneJson(std::FILE* out, const PlaneChart& plane) {
    JsonEmitter json(out);
    json.beginObject();
    json.key("title");
    json.text(plane.title);
    json.key("y_name");
    json.text(plane.yName);
    json.key("dots");
    json.beginArray();
    for (const PlaneDot& dot : plane.dots) {
        json.beginObject();
        json.key("x");
        json.value(dot.x);
        json.key("y");
        json.value(dot.y);
        json.key("label");
        json.text(dot.label);
        json.key("title");
        json.text(dot.title);
        json.key("monomial");
        json.text(dot.monomial);
        json.key("dies_on");
        dot.diesOn ? json.value(*dot.diesOn) : json.null();
        json.endObject();
    }
    json.endArray();
    json.key("arrows");
    json.beginArray();
    for (const PlaneArrow& arrow : plane.arrows) {
        json.numbers(std::vector<std::size_t>{arrow.from, arrow.to});
    }
    json.endArray();
    json.endObject();
}

} // namespace curtis
