#include "check/invariant.hpp"
#include "picture/picture_layout.hpp"
#include "picture/picture_writers.hpp"
#include "picture/plane_chart.hpp"
#include "writers/json_emitter.hpp"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace curtis {

namespace {

// A class by its place: "stem:filtration:index", the index among its
// level's classes in the chart's order (as --multiply counts them).
std::string placeKey(const Bidegree& at, std::size_t j) {
    return std::to_string(at.stem()) + ":" + std::to_string(at.filtration()) + ":" +
           std::to_string(j);
}

// The key of class j of a level of the Adams chart drawn by survivors: its
// place, unique in the chart. (The sphere with names is drawn in its named
// basis, keyed by the literature's names: see basisChart.)
std::string seqseeKey(const PrintedLevel& level, std::size_t j) {
    return placeKey(level.at, j);
}

// The chart in the JSON format of SeqSee (J. Beauvais-Feisthauer and
// D. C. Isaksen), which programs that draw spectral sequences read:
//   {"header": {"metadata": {"htmltitle", "title", "displaytitle", "space",
//               "chart", "range": {...}, "program", "version"}},
//    "nodes": {KEY: {"x", "y", "label"[, "attributes"]}, ...},
//    "edges": [{"source": KEY, "target": KEY[, "attributes"]}, ...]}
// On the Adams chart the nodes are the classes, x the stem and y the Adams
// filtration, labelled by their names with --names, else by their
// monomials; the edges are the products asked for, one for each term. On
// the planes of --chart ehp and cells the nodes are the plane's classes,
// keyed by their monomials (a word lies in one place of the table), and the
// edges its pairings, from source to target.
class SeqseeWriter : public ChartWriter {
public:
    explicit SeqseeWriter(std::FILE* out) : out_(out), json_(out) {}

    void end(const PrintedChart& chart) override;

private:
    void header(const PrintedChart& chart, const std::string& title);
    void adamsChart(const PrintedChart& chart);
    void basisChart(const PrintedChart& chart);
    void planeChart(const PlaneChart& plane);
    // The keys of the classes of each level shown, by its t and s.
    using LevelKeys = std::map<std::pair<std::int32_t, int>, std::vector<const std::string*>>;
    void productEdges(const PrintedChart& chart, const PrintedLevel& level, std::size_t j,
                      const std::string& source, const LevelKeys& keys);
    // A node at (x, y); a key taken already is replaced by `otherwise`.
    const std::string& node(std::string key, const std::string& otherwise, int x, int y,
                            const std::string& label, bool faint);
    void edge(const std::string& source, const std::string& target, bool arrow);

    std::FILE* out_;
    JsonEmitter json_;
    std::set<std::string> keys_;
};

void SeqseeWriter::end(const PrintedChart& chart) {
    json_.beginObject();
    if (chart.plan.drawing.chart == ChartKind::Adams) {
        header(chart, PictureLayout(chart, false).title());
        if (drawsNamedBasis(chart)) {
            basisChart(chart);
        } else {
            adamsChart(chart);
        }
    } else {
        const PlaneChart plane = planeOf(chart);
        header(chart, plane.title);
        planeChart(plane);
    }
    json_.endObject();
    std::fputc('\n', out_);
}

void SeqseeWriter::header(const PrintedChart& chart, const std::string& title) {
    const ChartPlan& plan = chart.plan;
    json_.key("header");
    json_.beginObject();
    json_.key("metadata");
    json_.beginObject();
    for (const char* key : {"htmltitle", "title", "displaytitle"}) {
        json_.key(key);
        json_.text(title);
    }
    json_.key("space");
    json_.text(plan.name());
    json_.key("chart");
    json_.text(plan.drawing.chart == ChartKind::Adams ? "adams"
               : plan.drawing.chart == ChartKind::Ehp ? "ehp"
                                                      : "cells");
    json_.key("range");
    json_.beginObject();
    json_.key("min_degree");
    json_.value(plan.degrees.first);
    json_.key("max_degree");
    json_.value(plan.degrees.last);
    if (plan.band) {
        json_.key("max_filtration");
        json_.value(*plan.band);
    }
    if (plan.stems) {
        json_.key("min_stem");
        json_.value(plan.stems->first);
        json_.key("max_stem");
        json_.value(plan.stems->last);
    }
    json_.endObject();
    json_.key("program");
    json_.text("curtis-chart");
    json_.key("version");
    json_.text(CURTIS_VERSION);
    json_.endObject();
    json_.endObject();
}

const std::string& SeqseeWriter::node(std::string key, const std::string& otherwise, int x, int y,
                                      const std::string& label, bool faint) {
    if (keys_.count(key) > 0) {
        key = otherwise;
    }
    CURTIS_INVARIANT(keys_.count(key) == 0, "a node's key is unique");
    json_.textKey(key);
    json_.beginObject();
    json_.key("x");
    json_.value(x);
    json_.key("y");
    json_.value(y);
    json_.key("label");
    json_.text(label);
    if (faint) {
        json_.key("attributes");
        json_.beginArray();
        json_.beginObject();
        json_.key("color");
        json_.text("gray");
        json_.endObject();
        json_.endArray();
    }
    json_.endObject();
    return *keys_.insert(std::move(key)).first;
}

void SeqseeWriter::edge(const std::string& source, const std::string& target, bool arrow) {
    json_.beginObject();
    json_.key("source");
    json_.text(source);
    json_.key("target");
    json_.text(target);
    if (arrow) {
        json_.key("attributes");
        json_.beginArray();
        json_.beginObject();
        json_.key("arrowTip");
        json_.text("simple");
        json_.endObject();
        json_.endArray();
    }
    json_.endObject();
}

// The classes of the levels shown, then a line for each term of each
// product that lands in a level shown. A class of an unstable chart that
// dies on a sphere is gray.
void SeqseeWriter::adamsChart(const PrintedChart& chart) {
    LevelKeys keys;
    json_.key("nodes");
    json_.beginObject();
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at)) {
                continue;
            }
            std::vector<const std::string*>& levelKeys = keys[{level.at.t, level.at.s}];
            for (std::size_t j = 0; j < level.classes.size(); ++j) {
                const ChartClass& c = level.classes[j];
                const bool named = c.names && !c.names->name.empty();
                levelKeys.push_back(&node(seqseeKey(level, j), placeKey(level.at, j),
                                          level.at.stem(), level.at.filtration(),
                                          named ? c.names->name : monomialText(c.word),
                                          c.dies.has_value()));
            }
        }
    }
    json_.endObject();
    json_.key("edges");
    json_.beginArray();
    for (const auto& [at, levelKeys] : keys) {
        const PrintedLevel& level = *chart.level(at.first, at.second);
        for (std::size_t j = 0; j < level.classes.size(); ++j) {
            if (level.classes[j].products) {
                productEdges(chart, level, j, *levelKeys[j], keys);
            }
        }
    }
    json_.endArray();
}

// An edge from class j of a level to each term of each of its products.
void SeqseeWriter::productEdges(const PrintedChart& chart, const PrintedLevel& level, std::size_t j,
                                const std::string& source, const LevelKeys& keys) {
    for (const int i : chart.plan.readings.productFactors) {
        const PrintedSum& terms = level.classes[j].products->terms[static_cast<std::size_t>(i)];
        const PrintedLevel* target = chart.productLevel(level, i);
        if (!terms || target == nullptr) {
            continue;
        }
        const auto found = keys.find({target->at.t, target->at.s});
        CURTIS_INVARIANT(found != keys.end(), "a product shown lands in a level shown");
        for (const std::size_t term : *terms) {
            edge(source, *found->second[term], false);
        }
    }
}

// The sphere with names: a node for each class of the named basis, keyed
// and labelled as the literature's chart keys and labels it, so that the two
// can be compared or merged by key; an edge for each term of each product
// asked for, in that basis, that lands in a level shown.
void SeqseeWriter::basisChart(const PrintedChart& chart) {
    json_.key("nodes");
    json_.beginObject();
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            for (std::size_t j = 0; chart.plan.shows(level.at) && j < level.basis.size(); ++j) {
                const PrintedBasisClass& named = level.basis[j];
                const std::string& key =
                    node(named.name, placeKey(level.at, j), level.at.stem(), level.at.filtration(),
                         named.label.empty() ? named.name : named.label, false);
                CURTIS_INVARIANT(key == named.name, "the named basis names each class once");
            }
        }
    }
    json_.endObject();
    json_.key("edges");
    json_.beginArray();
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            for (std::size_t j = 0; chart.plan.shows(level.at) && j < level.basis.size(); ++j) {
                for (const int i : chart.plan.readings.productFactors) {
                    const std::optional<BasisSum>& product =
                        level.basis[j].products[static_cast<std::size_t>(i)];
                    for (std::size_t k = 0;
                         product && chart.plan.shows(product->at) && k < product->names.size();
                         ++k) {
                        edge(level.basis[j].name, product->names[k], false);
                    }
                }
            }
        }
    }
    json_.endArray();
}

void SeqseeWriter::planeChart(const PlaneChart& plane) {
    std::vector<const std::string*> keys;
    json_.key("nodes");
    json_.beginObject();
    for (std::size_t d = 0; d < plane.dots.size(); ++d) {
        const PlaneDot& dot = plane.dots[d];
        keys.push_back(&node(dot.monomial, dot.monomial + " #" + std::to_string(d), dot.x, dot.y,
                             dot.label, dot.diesOn.has_value()));
    }
    json_.endObject();
    json_.key("edges");
    json_.beginArray();
    for (const PlaneArrow& arrow : plane.arrows) {
        edge(*keys[arrow.from], *keys[arrow.to], true);
    }
    json_.endArray();
}

} // namespace

std::unique_ptr<ChartWriter> makeSeqseeWriter(std::FILE* out) {
    return std::make_unique<SeqseeWriter>(out);
}

} // namespace curtis
