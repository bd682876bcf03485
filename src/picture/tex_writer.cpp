#include "picture/picture_layout.hpp"
#include "picture/picture_writers.hpp"
#include "picture/plane_chart.hpp"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace curtis {

namespace {

using Layout = PictureLayout;

// A name of the program's in TeX's math: a digit run after a letter is its
// index (h0 is h_{0}, x39_15 is x_{39,15}), one after ^ its power (h0^12 is
// h_{0}^{12}), ∞ is \infty; the rest as it is.
std::string texMath(const std::string& name) {
    std::string tex;
    for (std::size_t i = 0; i < name.size();) {
        if (name.compare(i, 3, "\u221e") == 0) {
            tex += "\\infty ";
            i += 3;
            continue;
        }
        const char c = name[i];
        tex += c;
        ++i;
        if (c == '^' && i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) {
            std::string power;
            while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) {
                power += name[i++];
            }
            tex += "{" + power + "}";
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(c)) || i >= name.size() ||
            !std::isdigit(static_cast<unsigned char>(name[i]))) {
            continue;
        }
        std::string index;
        while (i < name.size() && (std::isdigit(static_cast<unsigned char>(name[i])) ||
                                   (name[i] == '_' && i + 1 < name.size() &&
                                    std::isdigit(static_cast<unsigned char>(name[i + 1]))))) {
            index += name[i] == '_' ? ',' : name[i];
            ++i;
        }
        tex += "_{" + index + "}";
    }
    return tex;
}

// spectralsequences 1.3.2 (TeX Live 2022, Debian 12) checks pgfkeys'
// \pgfkeys@case@one against pgf 3.1.9's definition and refuses to load
// with pgf 3.1.10, which added a test for keys whose code is \relax (fixed
// in spectralsequences 1.3.3). Where that version is installed, the
// document gives pgfkeys the definition it checks for; such a key is then
// run rather than reported unknown, and nothing else changes.
constexpr const char* keysPatch = R"(\makeatletter
\newread\curtis@file
\newif\ifcurtis@patch
\openin\curtis@file=spectralsequences.sty
\ifeof\curtis@file\else
  \loop\unless\ifeof\curtis@file
    \readline\curtis@file to \curtis@line
    \edef\curtis@test{\noexpand\in@{\detokenize{v1.3.2]}}{\curtis@line}}\curtis@test
    \ifin@\curtis@patchtrue\fi
  \repeat
  \closein\curtis@file
\fi
\ifcurtis@patch
\def\pgfkeys@case@one{%
  \pgfkeysifdefined{\pgfkeyscurrentkey/.@cmd}%
  {\pgfkeysgetvalue{\pgfkeyscurrentkey/.@cmd}{\pgfkeys@code}%
   \expandafter\pgfkeys@code\pgfkeyscurrentvalue\pgfeov}
  {\pgfkeys@case@two}%
}
\fi
\makeatother
)";

// Text for TeX: each word with ^, _ or ∞ in it set in math.
std::string texText(const std::string& text) {
    std::string tex;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t end = std::min(text.find(' ', from), text.size());
        const std::string word = text.substr(from, end - from);
        const bool math = word.find_first_of("^_") != std::string::npos ||
                          word.find("\u221e") != std::string::npos;
        if (math) {
            tex += '$';
            tex += texMath(word);
            tex += '$';
        } else {
            tex += word;
        }
        if (end < text.size()) {
            tex += ' ';
        }
        from = end + 1;
    }
    return tex;
}

// The stems of a page of a long chart, which fits a page of a paper
// printed across.
constexpr int pageStems = 30;
// Centimetres per stem and per filtration.
constexpr double texUnit = 0.75;

// The classes' look: filled dots, their labels small and attached to them,
// each on the side labelDirection gives.
constexpr const char* classStyle =
    "classes = {fill, minimum size = 0.25em}, class labels = {font = \\tiny, inner sep = 0.5pt}, "
    "class placement transform = {scale = 1.6}";

// The side of its dot a label goes on, by the package's own label
// placement, for the place-th of count classes of a bidegree drawn side by
// side: one alone below and to the right, clear of the lines that come in
// from below and the left and leave upwards; of several the first on the
// left, the last on the right, the others below.
const char* labelDirection(std::size_t place, std::size_t count) {
    if (count == 1) {
        return "below right";
    }
    return place == 1 ? "left" : place == count ? "right" : "below";
}

// The width of a page that holds a page of the chart of this many stems, and
// a margin of `margin` centimetres.
int pageCentimetres(int stems, int margin) {
    return std::max(20, static_cast<int>(std::min(stems, pageStems) * texUnit) + margin);
}

// A class pattern that places up to `most` classes of one position side by
// side in a row (the package's own stop at six).
std::string classPattern(std::size_t most) {
    std::string pattern = "\\sseqnewclasspattern{curtis}{";
    for (std::size_t n = 1; n <= std::max<std::size_t>(most, 1); ++n) {
        const double spread = std::min(0.8 / static_cast<double>(n), 0.3);
        for (std::size_t i = 0; i < n; ++i) {
            char offset[48];
            std::snprintf(offset, sizeof offset, "(%.3f,0)",
                          (static_cast<double>(i) - static_cast<double>(n - 1) / 2) * spread);
            pattern += offset;
        }
        pattern += "; ";
    }
    return pattern + "}\n";
}

// A class's label: its name, or its monomial's entries.
std::string classLabel(const ChartClass& c) {
    if (c.names && !c.names->name.empty()) {
        return texMath(c.names->name);
    }
    std::string label;
    for (const std::int32_t entry : c.word) {
        label += (label.empty() ? "" : "\\,") + std::to_string(entry);
    }
    return label;
}

// A named class's label: the literature's LaTeX, out of its $ $, where it
// has one; else its name.
std::string basisLabel(const PrintedBasisClass& b) {
    const std::string& label = b.label;
    if (label.size() > 2 && label.front() == '$' && label.back() == '$' &&
        label.find('$', 1) == label.size() - 1) {
        return label.substr(1, label.size() - 2);
    }
    return texMath(b.name);
}

// The order a level's named basis is drawn in, left to right: each
// element's place in its bidegree, from 1.
std::vector<std::size_t> basisPlaces(const PrintedLevel& level) {
    std::vector<std::size_t> order(level.basis.size());
    for (std::size_t b = 0; b < order.size(); ++b) {
        order[b] = b;
    }
    if (Layout::literaturePlaces(level)) {
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return *level.basis[a].position < *level.basis[b].position;
        });
    }
    std::vector<std::size_t> places(order.size());
    for (std::size_t n = 0; n < order.size(); ++n) {
        places[order[n]] = n + 1;
    }
    return places;
}

// The chart as a spectralsequences page: one \class per survivor at (stem,
// filtration), in each bidegree in the chart's order (so the n-th class of
// a bidegree is its survivor n - 1); \structline for the products by h0, h1
// and h2 (and h3 with --h3-lines), a product that is a sum in the style
// "sum" to each term; the bidegrees not computed shaded; towers cut where
// the picture cuts them. The classes and lines are kept once (sseqdata) and
// printed on pages of at most pageStems stems each, each page with its
// legend. With --tex-body only those, else a document around them.
class TexWriter : public ChartWriter {
public:
    explicit TexWriter(std::FILE* out) : out_(out) {}

    void end(const PrintedChart& chart) override {
        const PictureLayout layout(chart, !chart.plan.drawing.uncut);
        const bool document = !chart.plan.drawing.texBody;
        const bool adams = chart.plan.drawing.chart == ChartKind::Adams;
        const PlaneChart plane = adams ? PlaneChart{} : planeOf(chart);
        if (document) {
            // A page as large as the chart.
            std::fprintf(
                out_,
                "\\documentclass{article}\n"
                "\\usepackage[paperwidth=%dcm,paperheight=%dcm,margin=1cm]{geometry}\n"
                "\\usepackage{tikz}\n%s"
                "\\usepackage{spectralsequences}\n"
                "\\pagestyle{empty}\n"
                "\\begin{document}\n",
                pageCentimetres(adams ? layout.stems() : plane.lastX - plane.firstX + 1, 6),
                adams ? static_cast<int>(layout.filtrations() * texUnit) + 7
                      : static_cast<int>((plane.lastY - plane.firstY + 1) * texUnit) + 10,
                keysPatch);
        }
        adams ? page(chart, layout) : planePage(plane, chart.plan.drawing.chart == ChartKind::Ehp);
        if (document) {
            std::fputs("\\end{document}\n", out_);
        }
    }

private:
    void page(const PrintedChart& chart, const PictureLayout& layout) {
        const std::string& title = layout.title();
        const std::string space = layout.space();
        const std::size_t unstable = space.find(" (unstable)");
        const std::string named = "Curtis chart of $" + texMath(space.substr(0, unstable)) + "$" +
                                  (unstable == std::string::npos ? "" : " (unstable)") +
                                  title.substr(16 + space.size());
        // Sums in a style of their own, for the reader to restyle.
        std::fputs("\\sseqset{sum/.sseq style = {dashed, red}}\n", out_);
        const bool basis = drawsNamedBasis(chart);
        std::size_t most = 0;
        forEachDrawn(chart, layout, [&](const PrintedLevel& level) {
            most = std::max(most, basis ? level.basis.size() : level.classes.size());
        });
        std::fputs(classPattern(most).c_str(), out_);
        const int first = layout.firstStem();
        const int last = layout.firstStem() + layout.stems() - 1;
        std::fprintf(out_,
                     "\\begin{sseqdata}[name = curtis, x range = {%d}{%d}, y range = {0}{%d}, "
                     "scale = %g, class pattern = curtis, x tick step = %d, y tick step = %d, "
                     "%s]\n",
                     first, last, layout.filtrations() - 1, texUnit, layout.labelStep(),
                     layout.labelStep(), classStyle);
        shadeUncomputed(layout);
        if (basis) {
            forEachDrawn(chart, layout, [&](const PrintedLevel& level) { basisClasses(level); });
            forEachDrawn(chart, layout, [&](const PrintedLevel& level) {
                basisStructlines(chart, layout, level);
            });
        } else {
            forEachDrawn(chart, layout, [&](const PrintedLevel& level) {
                for (std::size_t j = 0; j < level.classes.size(); ++j) {
                    std::fprintf(out_, "\\class[\"%s\" %s](%d,%d)\n",
                                 classLabel(level.classes[j]).c_str(),
                                 labelDirection(j + 1, level.classes.size()), level.at.stem(),
                                 level.at.filtration());
                }
            });
            forEachDrawn(chart, layout,
                         [&](const PrintedLevel& level) { structlines(chart, layout, level); });
        }
        std::fputs("\\end{sseqdata}\n", out_);
        printPages(named, first, last, {0, layout.filtrations() - 1}, adamsLegend(chart, basis));
    }

    // The bidegrees not computed, shaded.
    void shadeUncomputed(const PictureLayout& layout) {
        for (int dx = 0; dx < layout.stems(); ++dx) {
            for (int y = 0; y < layout.filtrations(); ++y) {
                if (!layout.computed(dx, y)) {
                    const int x = layout.firstStem() + dx;
                    std::fprintf(out_,
                                 "\\draw[draw = none, fill = black!8] (%d - 0.5, %d - 0.5) "
                                 "rectangle (%d + 0.5, %d + 0.5);\n",
                                 x, y, x, y);
                }
            }
        }
    }

    // What the dots, lines and shades of an Adams chart's page mean.
    static std::string adamsLegend(const PrintedChart& chart, bool basis) {
        const std::string dots =
            std::string("A dot is a class") + (basis ? " of the named basis" : "");
        if (!chart.plan.readings.products) {
            return dots + "; shaded squares were not computed.";
        }
        return dots + "; lines are its products by $h_{0}$ (vertical), $h_{1}$ and $h_{2}$" +
               (chart.plan.drawing.h3Lines ? " and $h_{3}$" : "") +
               ", a dashed red line one to each term of a product that is a sum; shaded "
               "squares were not computed.";
    }

    // The chart's pages, each of at most pageStems stems, one after another,
    // each with its legend under it.
    void printPages(const std::string& title, int first, int last, std::pair<int, int> ys,
                    const std::string& legend) {
        const int pages = (last - first) / pageStems + 1;
        for (int page = 0; page < pages; ++page) {
            const int from = first + page * pageStems;
            const int to = std::min(last, from + pageStems - 1);
            const std::string stems =
                pages == 1 ? ""
                           : ", page " + std::to_string(page + 1) + " of " + std::to_string(pages) +
                                 ": stems " + std::to_string(from) + " to " + std::to_string(to);
            // The page and its legend in one box, which never breaks.
            std::fprintf(out_,
                         "%s\\noindent\\begin{minipage}{\\linewidth}\n\\printpage[name = "
                         "curtis, title = {%s%s}, x range = {%d}{%d}, y range = {%d}{%d}]\n\n"
                         "{\\footnotesize %s}\n\\end{minipage}\n",
                         page == 0 ? "" : "\\newpage\n", title.c_str(), stems.c_str(), from, to,
                         ys.first, ys.second, legend.c_str());
        }
    }

    // The EHP or the cells chart: a \class per dot, in each place in their
    // order, and an arrow per pairing from its source to its target.
    void planePage(const PlaneChart& plane, bool ehp) {
        std::fputs(planePattern(plane).c_str(), out_);
        std::fprintf(out_,
                     "\\begin{sseqdata}[name = curtis, x range = {%d}{%d}, y range = {%d}{%d}, "
                     "scale = %g, class pattern = curtis, %s, x label = {stem}, y label = "
                     "{%s}]\n",
                     plane.firstX, plane.lastX, plane.firstY, plane.lastY, texUnit, classStyle,
                     texText(plane.yName).c_str());
        std::map<std::pair<int, int>, std::size_t> count;
        for (const PlaneDot& dot : plane.dots) {
            ++count[{dot.x, dot.y}];
        }
        std::map<std::pair<int, int>, std::size_t> placed;
        std::vector<std::size_t> place; // each dot's number in its place, from 1
        for (const PlaneDot& dot : plane.dots) {
            place.push_back(++placed[{dot.x, dot.y}]);
            std::fprintf(out_, "\\class[\"%s\" %s%s](%d,%d)\n", texMath(dot.label).c_str(),
                         labelDirection(place.back(), count[{dot.x, dot.y}]),
                         dot.diesOn ? ", fill = none" : "", dot.x, dot.y);
        }
        for (const PlaneArrow& arrow : plane.arrows) {
            const PlaneDot& from = plane.dots[arrow.from];
            const PlaneDot& to = plane.dots[arrow.to];
            std::fprintf(out_, "\\structline[->, red](%d,%d,%zu)(%d,%d,%zu)\n", from.x, from.y,
                         place[arrow.from], to.x, to.y, place[arrow.to]);
        }
        std::fputs("\\end{sseqdata}\n", out_);
        printPages(texText(plane.title), plane.firstX, plane.lastX, {plane.firstY, plane.lastY},
                   ehp ? "A dot is a class at its stem and the sphere it is born on; an open "
                         "dot one that dies, with a red arrow to it from the class that kills "
                         "it, one stem up."
                       : "A dot is a class of $E_{1}$ at its stem and its cell; a red arrow a "
                         "differential, from its source one stem up to its target.");
    }

    static std::string planePattern(const PlaneChart& plane) {
        std::map<std::pair<int, int>, std::size_t> count;
        std::size_t most = 0;
        for (const PlaneDot& dot : plane.dots) {
            most = std::max(most, ++count[{dot.x, dot.y}]);
        }
        return classPattern(most);
    }

    template <typename F>
    static void forEachDrawn(const PrintedChart& chart, const PictureLayout& layout, F&& each) {
        for (const PrintedDegree& degree : chart.degrees) {
            for (const PrintedLevel& level : degree.levels) {
                if (chart.plan.shows(level.at) && layout.drawn(level.at)) {
                    each(level);
                }
            }
        }
    }

    // The named basis of a level, a \class per element, in its places.
    void basisClasses(const PrintedLevel& level) {
        const std::vector<std::size_t> places = basisPlaces(level);
        std::vector<std::size_t> inPlace(places.size());
        for (std::size_t b = 0; b < places.size(); ++b) {
            inPlace[places[b] - 1] = b;
        }
        for (std::size_t n = 0; n < inPlace.size(); ++n) {
            std::fprintf(
                out_, "\\class[\"%s\" %s](%d,%d)\n", basisLabel(level.basis[inPlace[n]]).c_str(),
                labelDirection(n + 1, inPlace.size()), level.at.stem(), level.at.filtration());
        }
    }

    // A \structline from each named class to each element of the basis its
    // product by h_i is the sum of.
    void basisStructlines(const PrintedChart& chart, const PictureLayout& layout,
                          const PrintedLevel& level) {
        const std::vector<std::size_t> places = basisPlaces(level);
        for (std::size_t b = 0; b < level.basis.size(); ++b) {
            for (int i = 0; i <= 3; ++i) {
                const std::optional<BasisSum>& product =
                    level.basis[b].products[static_cast<std::size_t>(i)];
                const PrintedLevel* target = chart.productLevel(level, i);
                if (!product || target == nullptr || (i == 3 && !chart.plan.drawing.h3Lines) ||
                    !chart.plan.shows(target->at) || !layout.drawn(target->at)) {
                    continue;
                }
                const std::vector<std::size_t> targetPlaces = basisPlaces(*target);
                for (const std::string& name : product->names) {
                    for (std::size_t to = 0; to < target->basis.size(); ++to) {
                        if (target->basis[to].name == name) {
                            std::fprintf(out_, "\\structline%s(%d,%d,%zu)(%d,%d,%zu)\n",
                                         product->names.size() > 1 ? "[sum]" : "", level.at.stem(),
                                         level.at.filtration(), places[b], target->at.stem(),
                                         target->at.filtration(), targetPlaces[to]);
                        }
                    }
                }
            }
        }
    }

    void structlines(const PrintedChart& chart, const PictureLayout& layout,
                     const PrintedLevel& level) {
        for (std::size_t j = 0; j < level.classes.size(); ++j) {
            const ChartClass& c = level.classes[j];
            for (int i = 0; i <= 3 && c.products; ++i) {
                const PrintedSum& terms = c.products->terms[static_cast<std::size_t>(i)];
                const PrintedLevel* target = chart.productLevel(level, i);
                if (!terms || target == nullptr || (i == 3 && !chart.plan.drawing.h3Lines) ||
                    !chart.plan.shows(target->at) || !layout.drawn(target->at)) {
                    continue;
                }
                for (const std::size_t term : *terms) {
                    std::fprintf(out_, "\\structline%s(%d,%d,%zu)(%d,%d,%zu)\n",
                                 terms->size() > 1 ? "[sum]" : "", level.at.stem(),
                                 level.at.filtration(), j + 1, target->at.stem(),
                                 target->at.filtration(), term + 1);
                }
            }
        }
    }

    std::FILE* out_;
};

} // namespace

std::unique_ptr<ChartWriter> makeTexWriter(std::FILE* out) {
    return std::make_unique<TexWriter>(out);
}

} // namespace curtis
