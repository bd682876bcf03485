#include "readings/ehp_reading.hpp"
#include "writers/writers.hpp"

#include <initializer_list>
#include <string>
#include <vector>

namespace curtis {

namespace {

// The chart as tab-separated values, written at the end: a header row
// t, s, stem, filtration, cell, monomial, kind, source (then born, dies
// with births), internal_degree, then one row per
// survivor (kind "survivor", source empty) and per arrow (kind "arrow") in
// the chart's order; a monomial is its printed entries separated by blanks.
// With products, after each level's rows, a row per term of each product:
// kind h0 to h3, the term's own bidegree, cell and monomial, and the
// survivor multiplied as source; a product that is zero is one row with an
// empty cell and monomial, and a product that was not computed has no row.
// Products by a class X of the sphere (--multiply) are rows of kind "by X"
// likewise; with --cycles, rows of kind "cycle" give each survivor's cycle,
// the survivor as source.
// With births (the sphere's EHP reading) two columns follow, born and dies:
// the spheres a class is born and dies on, where the row has them; EHP pairs
// are rows of kind "ehp" after the level's survivors, the target as
// monomial, the class that kills it as source. An unstable target is a
// survivor row with its killer as source. With the transfer, rows of kind
// "transfer" give each survivor's image in the sphere, at the image's
// bidegree, and five columns at the end, source_t, source_s, source_stem,
// source_filtration and source_internal_degree, give the source's
// bidegree in the space (empty in every other row).
class TsvWriter : public ChartWriter {
public:
    explicit TsvWriter(std::FILE* out) : out_(out) {}

    void end(const PrintedChart& chart) override {
        births_ = chart.plan.readings.births();
        transfer_ = chart.plan.readings.transfer;
        std::vector<std::string> tail{"internal_degree"};
        if (transfer_) {
            tail.insert(tail.end(), {"source_t", "source_s", "source_stem", "source_filtration",
                                     "source_internal_degree"});
        }
        row({"t", "s", "stem", "filtration", "cell", "monomial", "kind", "source"},
            {"born", "dies"}, tail);
        for (const PrintedDegree& degree : chart.degrees) {
            for (const PrintedLevel& level : degree.levels) {
                if (!chart.plan.shows(level.at)) {
                    continue;
                }
                lineRows(level);
                for (const PrintedEhp& pair : level.ehp) {
                    monomialRow(level.at, &pair.target, "ehp", monomialText(pair.source),
                                std::to_string(pair.born), std::to_string(pair.dies));
                }
                productRows(chart, level);
                multipliedRows(chart, level);
                cycleRows(level);
                transferRows(chart, degree, level);
            }
        }
    }

private:
    // The classes and arrows in the chart's order.
    void lineRows(const PrintedLevel& level) {
        level.forEachLine(
            [&](const PrintedMonomial& word, const PrintedMonomial* source, const ChartClass* c) {
                const std::string from = source != nullptr ? monomialText(*source) : "";
                if (c == nullptr) {
                    monomialRow(level.at, &word, "arrow", from, "", "");
                    return;
                }
                const std::string born = births_ && c->born ? std::to_string(*c->born) : "";
                const std::string dies = births_ && c->dies ? std::to_string(*c->dies) : "";
                monomialRow(level.at, &word, "survivor", from, born, dies);
            });
    }

    void productRows(const PrintedChart& chart, const PrintedLevel& level) {
        for (const ChartClass& c : level.classes) {
            if (!c.products) {
                continue;
            }
            for (const int i : chart.plan.readings.productFactors) {
                sumRows(c.products->terms[static_cast<std::size_t>(i)],
                        chart.productLevel(level, i), std::string{'h', static_cast<char>('0' + i)},
                        c);
            }
        }
    }

    // The products by the classes of --multiply, as rows of kind "by X".
    void multipliedRows(const PrintedChart& chart, const PrintedLevel& level) {
        const std::vector<SphereClassRef>& by = chart.plan.readings.multiply;
        for (const ChartClass& c : level.classes) {
            for (std::size_t x = 0; x < c.multiplied.size(); ++x) {
                sumRows(c.multiplied[x], chart.productLevel(level, by[x]), "by " + by[x].name(), c);
            }
        }
    }

    // A sum of classes of the target level read off class c: a row per
    // term, the class as source; zero is one row with an empty cell and
    // monomial, and a sum that was not computed has no row.
    void sumRows(const PrintedSum& terms, const PrintedLevel* target, const std::string& kind,
                 const ChartClass& c) {
        if (!terms) {
            return;
        }
        const std::string source = monomialText(c.word);
        if (terms->empty()) {
            monomialRow(target->at, nullptr, kind, source, "", "");
        }
        for (const std::size_t term : *terms) {
            const PrintedMonomial& word = target->classes[term].word;
            monomialRow(target->at, &word, kind, source,
                        births_ ? std::to_string(birthSphere(word)) : "", "");
        }
    }

    // Each survivor's cycle: a row per term, of kind "cycle", the survivor
    // as source.
    void cycleRows(const PrintedLevel& level) {
        for (const ChartClass& c : level.classes) {
            const std::string source = monomialText(c.word);
            for (const PrintedMonomial& term : c.cycle) {
                monomialRow(level.at, &term, "cycle", source, "", "");
            }
        }
    }

    // The image of each survivor under the transfer: a row per term, of kind
    // "transfer", at its own bidegree in the sphere, the survivor as source;
    // a zero image is one row with an empty cell and monomial.
    void transferRows(const PrintedChart& chart, const PrintedDegree& degree,
                      const PrintedLevel& level) {
        // The bidegree in the sphere: the same stem, one filtration up.
        const Bidegree target =
            Space::sphere().bidegree(chart.plan.space.transferDegree(degree.t), level.at.s + 1);
        for (std::size_t j = 0; j < level.classes.size(); ++j) {
            if (!level.classes[j].transfer) {
                continue;
            }
            const std::string source = monomialText(level.classes[j].word);
            const std::vector<const PrintedMonomial*> image =
                chart.transferImage(degree.t, level, j);
            if (image.empty()) {
                monomialRow(target, nullptr, "transfer", source, "", "", &level.at);
            }
            for (const PrintedMonomial* term : image) {
                monomialRow(target, term, "transfer", source, "", "", &level.at);
            }
        }
    }

    // A row for a monomial of a level (none: the empty monomial of a zero
    // product): its bidegree, cell, entries, kind and source, with births
    // the spheres it is born and dies on, its internal degree, and in a
    // transfer chart the bidegree of a transfer row's source in the space
    // (empty in every other row).
    void monomialRow(const Bidegree& at, const PrintedMonomial* word, const std::string& kind,
                     const std::string& source, const std::string& born, const std::string& dies,
                     const Bidegree* from = nullptr) {
        std::vector<std::string> tail{std::to_string(at.internalDegree())};
        if (transfer_ && from != nullptr) {
            for (const std::int32_t value :
                 {from->t, from->s, from->stem(), from->filtration(), from->internalDegree()}) {
                tail.push_back(std::to_string(value));
            }
        } else if (transfer_) {
            tail.resize(6);
        }
        row({std::to_string(at.t), std::to_string(at.s), std::to_string(at.stem()),
             std::to_string(at.filtration()), word ? std::to_string(word->front()) : "",
             word ? monomialText(*word) : "", kind, source},
            {born, dies}, tail);
    }

    // The fields separated by tabs, then a newline; the birth fields only
    // in a chart with births; the tail last, so that every other column
    // keeps its place.
    void row(std::initializer_list<std::string> fields,
             std::initializer_list<std::string> birthFields, const std::vector<std::string>& tail) {
        bool first = true;
        for (const auto& list : {fields, birthFields}) {
            if (!first && !births_) {
                break;
            }
            for (const std::string& field : list) {
                if (!first) {
                    std::fputc('\t', out_);
                }
                std::fputs(field.c_str(), out_);
                first = false;
            }
        }
        for (const std::string& field : tail) {
            std::fputc('\t', out_);
            std::fputs(field.c_str(), out_);
        }
        std::fputc('\n', out_);
    }

    std::FILE* out_;
    bool births_ = false;
    bool transfer_ = false;
};

} // namespace

std::unique_ptr<ChartWriter> makeTsvWriter(std::FILE* out) {
    return std::make_unique<TsvWriter>(out);
}

} // namespace curtis
