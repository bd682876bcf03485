#include "writers/writers.hpp"

#include "chart/birth_sphere.hpp"

#include <initializer_list>
#include <string>
#include <vector>

namespace curtis {

namespace {

// Sets the name the rows written while it lives carry.
class NameOfRows {
public:
    NameOfRows(std::string& name, std::string value) : name_(name) { name_ = std::move(value); }
    ~NameOfRows() { name_.clear(); }
    NameOfRows(const NameOfRows&) = delete;
    NameOfRows& operator=(const NameOfRows&) = delete;

private:
    std::string& name_;
};

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
// bidegree in the space (empty in every other row). With --map, rows of
// each map's kind give each survivor's image, at its bidegree in the target.
// With --root-invariant, rows of kind "root invariant" give R(x) of each
// survivor, at its bidegree in the sphere, on the cell that detects it, and
// rows of kind "root invariant indeterminacy" the terms of each element of
// a basis of its indeterminacy.
class TsvWriter : public ChartWriter {
public:
    explicit TsvWriter(std::FILE* out) : out_(out) {}

    void end(const PrintedChart& chart) override {
        births_ = chart.plan.readings.births();
        transfer_ = chart.plan.readings.transfer;
        names_ = chart.plan.readings.namesClasses();
        chart_ = &chart;
        std::vector<std::string> tail{"internal_degree"};
        if (transfer_) {
            tail.insert(tail.end(), {"source_t", "source_s", "source_stem", "source_filtration",
                                     "source_internal_degree"});
        }
        if (names_) {
            tail.push_back("name");
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
                mapRows(chart, degree, level);
                rootInvariantRows(level);
                periodicityRows(level);
                basisRows(chart, level);
            }
        }
        for (const PrintedMassey& m : chart.massey) {
            const std::string of =
                "<" + m.factors[0] + ", " + m.factors[1] + ", " + m.factors[2] + ">";
            namedRows(m.value, m.indeterminacy, "massey", of);
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
                const NameOfRows named(name_, c->names ? c->names->name : "");
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
                        c, c.names ? c.names->products[static_cast<std::size_t>(i)] : std::nullopt);
            }
        }
    }

    // The products by the classes of --multiply, as rows of kind "by X".
    void multipliedRows(const PrintedChart& chart, const PrintedLevel& level) {
        const std::vector<SphereClassRef>& by = chart.plan.readings.multiply;
        for (const ChartClass& c : level.classes) {
            for (std::size_t x = 0; x < c.multiplied.size(); ++x) {
                sumRows(c.multiplied[x], chart.productLevel(level, by[x]), "by " + by[x].name(), c,
                        c.names ? c.names->multiplied[x] : std::nullopt);
            }
        }
    }

    // A sum of classes of the target level read off class c: a row per
    // term, the class as source; zero is one row with an empty cell and
    // monomial, and a sum that was not computed has no row. With names each
    // row carries the name of the whole sum.
    void sumRows(const PrintedSum& terms, const PrintedLevel* target, const std::string& kind,
                 const ChartClass& c, const std::optional<std::string>& name) {
        if (!terms) {
            return;
        }
        const NameOfRows named(name_, name.value_or(""));
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
            const NameOfRows named(
                name_, level.classes[j].names ? level.classes[j].names->transfer.value_or("") : "");
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

    // The image of each survivor under each map: a row per term, of the
    // map's kind ("include:16", "E"), at its bidegree in the target, the
    // survivor as source; a zero image is one row with an empty cell and
    // monomial, and one not computed has no row.
    void mapRows(const PrintedChart& chart, const PrintedDegree& degree,
                 const PrintedLevel& level) {
        const std::vector<ChartMap>& maps = chart.plan.readings.maps;
        for (std::size_t x = 0; x < maps.size(); ++x) {
            const Bidegree target = mapTarget(chart.plan, maps[x], degree.t, level.at.s);
            for (const ChartClass& c : level.classes) {
                if (x >= c.maps.size() || !c.maps[x]) {
                    continue;
                }
                const std::string source = monomialText(c.word);
                const NameOfRows named(name_, c.names && x < c.names->maps.size()
                                                  ? c.names->maps[x].value_or("")
                                                  : "");
                if (c.maps[x]->empty()) {
                    monomialRow(target, nullptr, maps[x].name(), source, "", "");
                }
                for (const PrintedMonomial& term : *c.maps[x]) {
                    monomialRow(target, &term, maps[x].name(), source,
                                births_ ? std::to_string(birthSphere(term)) : "", "");
                }
            }
        }
    }

    // R(x) of each survivor with --root-invariant, where k <= N: a row per
    // term of kind "root invariant", at its bidegree in the sphere, its
    // word on the cell -k that detects it (the term as the class of
    // P_{-N} it is), the survivor as source.
    void rootInvariantRows(const PrintedLevel& level) {
        for (const ChartClass& c : level.classes) {
            if (!c.rootInvariant) {
                continue;
            }
            const auto joined = [](const std::optional<std::vector<std::string>>& names) {
                return names ? joinedNames(*names) : std::string();
            };
            const std::string source = monomialText(c.word);
            const auto rows = [&](const std::vector<PrintedMonomial>& terms, const char* kind,
                                  const std::optional<std::vector<std::string>>& names) {
                const NameOfRows named(name_, joined(names));
                for (PrintedMonomial term : terms) {
                    term.front() = -c.rootInvariant->k;
                    monomialRow(c.rootInvariant->at, &term, kind, source, "", "");
                }
            };
            rows(c.rootInvariant->value, "root invariant",
                 c.names ? c.names->rootInvariant : std::nullopt);
            const std::vector<std::vector<PrintedMonomial>>& basis = c.rootInvariant->indeterminacy;
            for (std::size_t e = 0; e < basis.size(); ++e) {
                rows(basis[e], "root invariant indeterminacy",
                     c.names && e < c.names->rootInvariantIndeterminacy.size()
                         ? c.names->rootInvariantIndeterminacy[e]
                         : std::nullopt);
            }
        }
    }

    // The bidegree in its target of the image of level s of degree t.
    static Bidegree mapTarget(const ChartPlan& plan, const ChartMap& map, std::int32_t t, int s) {
        if (map.ofCells()) {
            return map.target(plan.space)
                .bidegree(map.targetDegree(plan.space, t), s + map.levelShift());
        }
        return Space::sphere().bidegree(map.targetDegree(*plan.readings.unstable, t),
                                        s + map.levelShift());
    }

    // P(x) of each survivor where it is defined and computed: rows of kind
    // "P", then "P indeterminacy", the survivor as source.
    void periodicityRows(const PrintedLevel& level) {
        for (const ChartClass& c : level.classes) {
            if (c.periodicity && c.periodicity->defined) {
                namedRows(c.periodicity->value, c.periodicity->indeterminacy, "P",
                          monomialText(c.word));
            }
        }
    }

    // The sphere's named basis: a row of kind "basis" per element, its
    // survivors joined by " + " in the monomial column and its name last;
    // with products, a row of kind "basis product" per product by h_i in
    // range, at the product's bidegree, "h_i · <element>" as source and the
    // product in the named basis as name ("0" for zero).
    void basisRows(const PrintedChart& chart, const PrintedLevel& level) {
        for (const PrintedBasisClass& b : level.basis) {
            sumRow(NamedSum{level.at, b.terms, b.name}, "basis", "");
        }
        for (const PrintedBasisClass& b : level.basis) {
            for (const int i : chart.plan.readings.products ? chart.plan.readings.productFactors
                                                            : std::vector<int>{}) {
                const std::optional<BasisSum>& product = b.products[static_cast<std::size_t>(i)];
                if (!product) {
                    continue;
                }
                const std::string name = joinedNames(product->names);
                sumRow(NamedSum{product->at, product->terms, name.empty() ? "0" : name},
                       "basis product",
                       std::string{'h', static_cast<char>('0' + i)} + " · " + b.name);
            }
        }
    }

    // A named value, one row with its terms joined by " + " in the monomial
    // column (empty for zero), then a row for each element of the basis of
    // its indeterminacy, of kind "<kind> indeterminacy"; nothing where the
    // value lies past the chart.
    void namedRows(const std::optional<NamedSum>& value, const std::vector<NamedSum>& indeterminacy,
                   const std::string& kind, const std::string& source) {
        if (!value) {
            return;
        }
        sumRow(*value, kind, source);
        for (const NamedSum& element : indeterminacy) {
            sumRow(element, kind + " indeterminacy", source);
        }
    }

    // Names of a sum's terms joined by " + ", empty for none.
    static std::string joinedNames(const std::vector<std::string>& names) {
        std::string joined;
        for (const std::string& name : names) {
            joined += (joined.empty() ? "" : " + ") + name;
        }
        return joined;
    }

    void sumRow(const NamedSum& sum, const std::string& kind, const std::string& source) {
        const PrintedLevel* level = chart_->level(sum.at.t, sum.at.s);
        std::string terms;
        for (const std::size_t term : sum.terms) {
            terms += (terms.empty() ? "" : " + ") + monomialText(level->classes[term].word);
        }
        const NameOfRows named(name_, sum.name);
        row({std::to_string(sum.at.t), std::to_string(sum.at.s), std::to_string(sum.at.stem()),
             std::to_string(sum.at.filtration()), "", terms, kind, source},
            {"", ""}, tailOf(sum.at, nullptr));
    }

    // A row for a monomial of a level (none: the empty monomial of a zero
    // product): its bidegree, cell, entries, kind and source, with births
    // the spheres it is born and dies on, its internal degree, and in a
    // transfer chart the bidegree of a transfer row's source in the space
    // (empty in every other row).
    void monomialRow(const Bidegree& at, const PrintedMonomial* word, const std::string& kind,
                     const std::string& source, const std::string& born, const std::string& dies,
                     const Bidegree* from = nullptr) {
        const std::vector<std::string> tail = tailOf(at, from);
        row({std::to_string(at.t), std::to_string(at.s), std::to_string(at.stem()),
             std::to_string(at.filtration()), word ? std::to_string(word->front()) : "",
             word ? monomialText(*word) : "", kind, source},
            {born, dies}, tail);
    }

    // The last columns: the internal degree, in a transfer chart the
    // bidegree of a transfer row's source, and with names the row's name.
    std::vector<std::string> tailOf(const Bidegree& at, const Bidegree* from) const {
        std::vector<std::string> tail{std::to_string(at.internalDegree())};
        if (transfer_ && from != nullptr) {
            for (const std::int32_t value :
                 {from->t, from->s, from->stem(), from->filtration(), from->internalDegree()}) {
                tail.push_back(std::to_string(value));
            }
        } else if (transfer_) {
            tail.resize(6);
        }
        if (names_) {
            tail.push_back(name_);
        }
        return tail;
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
    bool names_ = false;
    std::string name_; // the name of the row being written
    const PrintedChart* chart_ = nullptr;
};

} // namespace

std::unique_ptr<ChartWriter> makeTsvWriter(std::FILE* out) {
    return std::make_unique<TsvWriter>(out);
}

} // namespace curtis
