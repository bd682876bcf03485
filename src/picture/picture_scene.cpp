#include "picture/picture_scene.hpp"

#include "check/invariant.hpp"
#include "picture/picture_parts.hpp"

#include <algorithm>
#include <cmath>

namespace curtis {

namespace {

using Layout = PictureLayout;

// The colour of every dot when all share one cell.
constexpr const char* oneCellColour = "#0072B2";

std::string place(std::int32_t t, int s, std::size_t j) {
    return std::to_string(t) + ":" + std::to_string(s) + ":" + std::to_string(j);
}

// A named class as a page marks it: "t:s:bB", B its place in the basis.
std::string basisPlace(std::int32_t t, int s, std::size_t b) {
    return std::to_string(t) + ":" + std::to_string(s) + ":b" + std::to_string(b);
}

// Calls each(degree, level) for every level the picture draws.
template <typename F>
void forEachDrawn(const PictureLayout& layout, const PrintedChart& chart, F&& each) {
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (chart.plan.shows(level.at) && layout.drawn(level.at)) {
                each(degree, level);
            }
        }
    }
}

void collectArrows(const PictureLayout& layout, const PrintedChart& chart,
                   const SceneOptions& options, std::vector<PictureLine>& lines) {
    forEachDrawn(layout, chart, [&](const PrintedDegree& degree, const PrintedLevel& level) {
        for (const ChartArrow& arrow : level.arrows) {
            // Its source lies one stem to the right, which must be shown.
            if (arrow.source.front() - arrow.target.front() < options.arrowsFromCellDifference ||
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
            const double shorten = (length - 2 * Layout::dotSpacing) / length;
            lines.push_back(
                {"arrow",
                 {x1, y1, x1 + (x2 - x1) * shorten, y1 + (y2 - y1) * shorten},
                 std::string(" marker-end=\"url(#head)\"") +
                     (options.identified ? " data-t=\"" + std::to_string(degree.t) +
                                               "\" data-s=\"" + std::to_string(level.at.s) + "\""
                                         : ""),
                 monomialText(arrow.target) + " <-- " + monomialText(arrow.source)});
        }
    });
}

// The named basis's product lines: from each element a line to each basis
// element its product by h_i is the sum of, dotted where there are several.
void collectBasisProducts(const PictureLayout& layout, const PrintedChart& chart,
                          const SceneOptions& options, std::vector<PictureLine>& lines) {
    const char* const classes[] = {"h0", "h1", "h2", "h3"};
    forEachDrawn(layout, chart, [&](const PrintedDegree& degree, const PrintedLevel& level) {
        for (std::size_t b = 0; b < level.basis.size(); ++b) {
            const Layout::Point from = layout.basisDot(level, b);
            for (int i = 0; i < (options.h3Lines ? 4 : 3); ++i) {
                const std::optional<BasisSum>& product =
                    level.basis[b].products[static_cast<std::size_t>(i)];
                const PrintedLevel* target = chart.productLevel(level, i);
                if (!product || target == nullptr || !chart.plan.shows(target->at) ||
                    !layout.drawn(target->at)) {
                    continue;
                }
                const std::string cls =
                    std::string(classes[i]) + (product->names.size() > 1 ? " sum" : "");
                std::string title = std::string(classes[i]) + " \u00b7 " + level.basis[b].name;
                for (std::size_t n = 0; n < product->names.size(); ++n) {
                    title += (n == 0 ? " = " : " + ") + product->names[n];
                }
                for (std::size_t to = 0; to < target->basis.size(); ++to) {
                    if (std::find(product->names.begin(), product->names.end(),
                                  target->basis[to].name) == product->names.end()) {
                        continue;
                    }
                    const Layout::Point end = layout.basisDot(*target, to);
                    lines.push_back({cls,
                                     {from.x, from.y, end.x, end.y},
                                     options.identified
                                         ? " data-from=\"" + basisPlace(degree.t, level.at.s, b) +
                                               "\" data-to=\"" +
                                               basisPlace(target->at.t, target->at.s, to) + "\""
                                         : "",
                                     title});
                }
            }
        }
    });
}

void collectProducts(const PictureLayout& layout, const PrintedChart& chart,
                     const SceneOptions& options, std::vector<PictureLine>& lines) {
    if (drawsNamedBasis(chart)) {
        collectBasisProducts(layout, chart, options, lines);
        return;
    }
    const char* const classes[] = {"h0", "h1", "h2", "h3"};
    forEachDrawn(layout, chart, [&](const PrintedDegree& degree, const PrintedLevel& level) {
        for (std::size_t j = 0; j < level.classes.size(); ++j) {
            if (!level.classes[j].products) {
                continue;
            }
            const Layout::Point from = layout.dot(level, j);
            for (int i = 0; i < (options.h3Lines ? 4 : 3); ++i) {
                const auto& terms = level.classes[j].products->terms[static_cast<std::size_t>(i)];
                const PrintedLevel* target = terms ? chart.productLevel(level, i) : nullptr;
                if (target == nullptr || !chart.plan.shows(target->at) ||
                    !layout.drawn(target->at)) {
                    continue; // none, outside the stems shown, or above the tower cut
                }
                const std::string cls = std::string(classes[i]) + (terms->size() > 1 ? " sum" : "");
                for (const std::size_t term : *terms) {
                    const Layout::Point to = layout.dot(*target, term);
                    lines.push_back(
                        {cls,
                         {from.x, from.y, to.x, to.y},
                         options.identified
                             ? " data-from=\"" + place(degree.t, level.at.s, j) + "\" data-to=\"" +
                                   place(degree.t + (1 << i), level.at.s + 1, term) + "\""
                             : "",
                         ""});
                }
            }
        }
    });
}

void collectTowerCuts(const PictureLayout& layout, std::vector<PictureLine>& lines) {
    if (!layout.towerCut() || layout.filtrations() != *layout.towerCut() + 1) {
        return; // not cut here
    }
    const double y = layout.y(*layout.towerCut());
    for (const std::int32_t stem : layout.towerStems()) {
        lines.push_back(
            {"tower",
             {layout.x(stem), y - Layout::dotSpacing, layout.x(stem), y - Layout::unit / 2},
             " marker-end=\"url(#head)\"",
             "the tower goes on above filtration " + std::to_string(*layout.towerCut())});
    }
}

std::string circle(const std::string& marks, const Layout::Point& at, const std::string& paint,
                   const std::string& title) {
    return "<circle class=\"survivor\" " + marks + "cx=\"" + pictureNumber(at.x) + "\" cy=\"" +
           pictureNumber(at.y) + "\" r=\"" + pictureNumber(Layout::dotRadius) + "\" fill=\"" +
           paint + "\"><title>" + escapedXml(title) + "</title></circle>";
}

// A dot per element of the named basis, labelled with its name; its title
// its name and the survivors whose sum it is.
void collectBasisDots(const PictureLayout& layout, const PrintedChart& chart, bool identified,
                      std::vector<PictureDot>& dots) {
    forEachDrawn(layout, chart, [&](const PrintedDegree& degree, const PrintedLevel& level) {
        for (std::size_t b = 0; b < level.basis.size(); ++b) {
            const PrintedBasisClass& named = level.basis[b];
            std::string monomials;
            for (const std::size_t term : named.terms) {
                monomials +=
                    (monomials.empty() ? "" : " + ") + monomialText(level.classes[term].word);
            }
            const Layout::Point at = layout.basisDot(level, b);
            const std::string marks =
                identified ? "data-t=\"" + std::to_string(degree.t) + "\" data-s=\"" +
                                 std::to_string(level.at.s) + "\" data-b=\"" + std::to_string(b) +
                                 "\" tabindex=\"0\" role=\"button\" aria-label=\"" +
                                 escapedXml(named.name) + "\" "
                           : "";
            dots.push_back({at,
                            circle(marks, at, oneCellColour, named.name + ": " + monomials),
                            {{"name", named.name, std::nullopt}},
                            level.at.stem(),
                            level.at.filtration()});
        }
    });
}

// A dot's labels: its name where the chart names classes, else the sphere
// it is born on where the chart has births, else its cell where cells
// differ; and the sphere it dies on, if it does.
std::vector<DotLabel> dotLabels(const PrintedChart& chart, const PictureLayout& layout,
                                const ChartClass& c) {
    std::vector<DotLabel> labels;
    const bool births = chart.plan.readings.births();
    if (c.names) {
        if (!c.names->name.empty()) {
            labels.push_back({"name", c.names->name, std::nullopt});
        }
    } else if (births || !layout.oneCell()) {
        labels.push_back({births ? "born" : "cell",
                          std::to_string(births ? c.born.value_or(0) : c.word.front()),
                          std::nullopt});
    }
    if (c.dies) {
        labels.push_back({"dies", "\u2020" + std::to_string(*c.dies), std::nullopt});
    }
    return labels;
}

void collectSurvivorDots(const PictureLayout& layout, const PrintedChart& chart, bool identified,
                         std::vector<PictureDot>& dots) {
    forEachDrawn(layout, chart, [&](const PrintedDegree& degree, const PrintedLevel& level) {
        for (std::size_t j = 0; j < level.classes.size(); ++j) {
            const ChartClass& c = level.classes[j];
            const Layout::Point at = layout.dot(level, j);
            const std::string colour =
                layout.oneCell() ? oneCellColour : cellColour(c.word.front());
            const std::string marks =
                identified ? "data-t=\"" + std::to_string(degree.t) + "\" data-s=\"" +
                                 std::to_string(level.at.s) + "\" data-j=\"" + std::to_string(j) +
                                 "\" tabindex=\"0\" role=\"button\" aria-label=\"" +
                                 escapedXml(monomialText(c.word)) + "\" "
                           : "";
            // A class that a later sphere kills: a ring.
            const std::string paint =
                c.dies ? "white\" stroke=\"" + colour + "\" stroke-width=\"1.5" : colour;
            const std::string title =
                (c.names && !c.names->name.empty() ? c.names->name + ": " : std::string()) +
                monomialText(c.word) +
                (c.dies ? ", dies on S^" + std::to_string(*c.dies) : std::string());
            dots.push_back({at, circle(marks, at, paint, title), dotLabels(chart, layout, c),
                            level.at.stem(), level.at.filtration()});
        }
    });
}

// Places every dot's labels clear of the dots, the lines and each other,
// within the grid.
void placeLabels(const PictureLayout& layout, const SceneOptions& options, PictureScene& scene) {
    // The grid, and on its right the margin before the legend.
    const double half = Layout::unit / 2;
    LabelPlacer placer({Layout::left - half, layout.y(layout.filtrations() - 1) - half,
                        layout.legendX() - 6, layout.y(0) + half});
    for (const PictureDot& dot : scene.dots) {
        placer.addDot(dot.at.x, dot.at.y, Layout::dotRadius);
    }
    for (const auto* lines : {&scene.arrows, &scene.products, &scene.towerCuts}) {
        for (const PictureLine& line : *lines) {
            const bool shown = lines == &scene.arrows         ? options.arrowsAtFirst
                               : line.cls.rfind("h3", 0) == 0 ? options.h3AtFirst
                                                              : true;
            if (shown) {
                placer.addSegment(line.at);
            }
        }
    }
    std::vector<LabelRequest> requests;
    for (const PictureDot& dot : scene.dots) {
        for (const DotLabel& label : dot.labels) {
            const double size = label.cls == "dies" ? diesSize : labelSize;
            requests.push_back(
                {dot.at.x, dot.at.y, Layout::dotRadius, textWidth(label.text, size), size});
        }
    }
    const std::vector<std::optional<LabelSpot>> spots = placer.place(requests);
    CURTIS_INVARIANT(spots.size() == requests.size(), "a place or none for every label");
    std::size_t next = 0;
    for (PictureDot& dot : scene.dots) {
        for (DotLabel& label : dot.labels) {
            label.spot = spots[next++];
        }
    }
}

// The labels left unplaced, in a table under the picture, "(stem,
// filtration) name".
void tabulateUnplaced(const PictureLayout& layout, PictureScene& scene) {
    std::vector<std::string> entries;
    for (const PictureDot& dot : scene.dots) {
        for (const DotLabel& label : dot.labels) {
            if (!label.spot) {
                entries.push_back(labelTableEntry(dot.stem, dot.filtration, label.text));
            }
        }
    }
    scene.unplaced = labelTable(std::move(entries), Layout::left, layout.height(),
                                layout.width() - 2 * Layout::left);
}

} // namespace

PictureScene pictureScene(const PictureLayout& layout, const PrintedChart& chart,
                          const SceneOptions& options) {
    PictureScene scene;
    if (options.arrowsFromCellDifference > 0) {
        collectArrows(layout, chart, options, scene.arrows);
    }
    if (chart.plan.readings.products) {
        collectProducts(layout, chart, options, scene.products);
    }
    collectTowerCuts(layout, scene.towerCuts);
    if (drawsNamedBasis(chart)) {
        collectBasisDots(layout, chart, options.identified, scene.dots);
    } else {
        collectSurvivorDots(layout, chart, options.identified, scene.dots);
    }
    placeLabels(layout, options, scene);
    tabulateUnplaced(layout, scene);
    return scene;
}

void writePictureLines(std::FILE* out, const char* group, const std::vector<PictureLine>& lines) {
    std::fprintf(out, "<g class=\"%s\">\n", group);
    for (const PictureLine& line : lines) {
        std::string text = "<line class=\"" + line.cls + "\" x1=\"" + pictureNumber(line.at.x1) +
                           "\" y1=\"" + pictureNumber(line.at.y1) + "\" x2=\"" +
                           pictureNumber(line.at.x2) + "\" y2=\"" + pictureNumber(line.at.y2) +
                           "\"" + line.extra;
        text +=
            line.title.empty() ? "/>\n" : "><title>" + escapedXml(line.title) + "</title></line>\n";
        std::fputs(text.c_str(), out);
    }
    std::fputs("</g>\n", out);
}

void writePictureDots(std::FILE* out, const PictureScene& scene) {
    std::fputs("<g class=\"dots\">\n", out);
    for (const PictureDot& dot : scene.dots) {
        std::string text = "<g class=\"survivor-dot\">" + dot.circle;
        for (const DotLabel& label : dot.labels) {
            if (label.spot) {
                text += "<text class=\"" + label.cls + "\" x=\"" + pictureNumber(label.spot->x) +
                        "\" y=\"" + pictureNumber(label.spot->y) + "\">" + escapedXml(label.text) +
                        "</text>";
            }
        }
        text += "</g>\n";
        std::fputs(text.c_str(), out);
    }
    std::fputs("</g>\n", out);
}

} // namespace curtis
