#include "readings/chart_names.hpp"

#include "readings/literature_chart.hpp"
#include "readings/massey.hpp"
#include "readings/sphere_names.hpp"
#include "readings/unstable_names.hpp"

#include <algorithm>
#include <bit>

namespace curtis {

namespace {

ClassBits bitsOf(const std::vector<std::size_t>& terms) {
    ClassBits bits = 0;
    for (const std::size_t term : terms) {
        bits ^= ClassBits{1} << term;
    }
    return bits;
}

std::vector<std::size_t> termsOf(ClassBits bits) {
    std::vector<std::size_t> terms;
    for (; bits != 0; bits &= bits - 1) {
        terms.push_back(static_cast<std::size_t>(std::countr_zero(bits)));
    }
    return terms;
}

// Names a chart's classes and sums of them: the sphere's by its names, a
// space's by the sphere's class of each leading term's lambda part on its
// cell.
class ChartNamer {
public:
    ChartNamer(SphereNames& names, const PrintedChart& chart, const Computation& computation)
        : names_(names), computation_(computation), sphere_(chart.plan.space.isSphere()) {}

    std::string classNameOf(const PrintedLevel& level, std::size_t j) const {
        if (sphere_) {
            return names_.name({level.at.t, level.at.k(), ClassBits{1} << j}).value_or("");
        }
        return cellName(level.classes[j].word);
    }

    // A space's class by its word: the sphere's name of its lambda part, on
    // its cell (h1[3]); "" where that has none.
    std::string cellName(const PrintedMonomial& word) const {
        const std::string base = lambdaName(static_cast<int>(word.size()) - 1, word);
        if (base.empty()) {
            return "";
        }
        const bool sum = base.find(" + ") != std::string::npos;
        return (sum ? "(" + base + ")" : base) + "[" + std::to_string(word.front()) + "]";
    }

    // The name of a map's image, a sum of its target's classes by their
    // words; nothing where it was not read.
    std::optional<std::string>
    imageName(const std::optional<std::vector<PrintedMonomial>>& words) const {
        if (!words) {
            return std::nullopt;
        }
        std::string text;
        for (const PrintedMonomial& word : *words) {
            text += (text.empty() ? "" : " + ") + cellName(word);
        }
        return text.empty() ? "0" : text;
    }

    // The sphere's name of the class whose leading term is a monomial's
    // lambda part (level k); "" where that is not a survivor of the
    // sphere's.
    std::string lambdaName(int k, const PrintedMonomial& word) const {
        // The lambda part, on the sphere's one cell, lies in total degree
        // k + 1 + its indices.
        std::vector<Entry> lambdas(word.begin(), word.end());
        lambdas.front() = 0;
        std::int32_t t = k + 1;
        for (std::size_t i = 1; i < word.size(); ++i) {
            t += word[i];
        }
        const ChartSurvivors* survivors = names_.survivors(t, k);
        if (survivors == nullptr) {
            return "";
        }
        const LevelRecords& records = computation_.sphere().kept(t, k);
        const std::int32_t record = records.find(lambdas.data());
        if (record == LevelRecords::none || !survivors->holds(record)) {
            return "";
        }
        return names_.name({t, k, names_.bitsOf(t, k, {record})}).value_or("");
    }

    // The name of a sum of a level's classes; nothing where it was not read.
    std::optional<std::string> sumName(const PrintedSum& terms, const PrintedLevel* level) const {
        if (!terms || level == nullptr) {
            return std::nullopt;
        }
        if (sphere_) {
            return names_.name({level->at.t, level->at.k(), bitsOf(*terms)});
        }
        std::string text;
        for (const std::size_t term : *terms) {
            text += (text.empty() ? "" : " + ") + level->classes[term].names->name;
        }
        return text.empty() ? "0" : text;
    }

    // The sphere's classes of a transfer's target, by the sphere's names.
    std::optional<std::string> sphereSumName(const std::vector<std::size_t>& terms,
                                             const PrintedLevel* level) const {
        if (level == nullptr) {
            return std::nullopt;
        }
        return names_.name({level->at.t, level->at.k(), bitsOf(terms)});
    }

    // A sum of the sphere's classes of level `at` (words) in its named
    // basis, where that level was read.
    std::optional<std::vector<std::string>>
    sphereBasisNames(const Bidegree& at, const std::vector<PrintedMonomial>& value) const {
        const std::int32_t t = at.t;
        const int k = at.k();
        if (names_.survivors(t, k) == nullptr) {
            return std::nullopt;
        }
        std::vector<std::int32_t> records;
        std::vector<Entry> word;
        for (const PrintedMonomial& printed : value) {
            word.assign(printed.begin(), printed.end());
            records.push_back(computation_.sphere().kept(t, k).find(word.data()));
            if (records.back() == LevelRecords::none) {
                return std::nullopt;
            }
        }
        return names_.basisNames({t, k, names_.bitsOf(t, k, records)});
    }

private:
    SphereNames& names_;
    const Computation& computation_;
    bool sphere_;
};

// A value of the sphere in the named basis, where the chart has its level.
std::optional<BasisSum> basisSum(const PrintedChart& chart, const SphereNames& names,
                                 const ChainResult<SphereValue>& value) {
    const PrintedLevel* level = value ? chart.level(value->t, value->k + 1) : nullptr;
    std::optional<std::vector<std::string>> named =
        level != nullptr ? names.basisNames(*value) : std::nullopt;
    if (!named) {
        return std::nullopt;
    }
    return BasisSum{level->at, termsOf(value->bits), std::move(*named)};
}

// The sphere's levels in the named basis: each element with its products
// by h_i and its Sq^0 where the plan reads them.
ChainStatus addBasis(PrintedChart& chart, SphereNames& names) {
    const Readings& readings = chart.plan.readings;
    const LiteratureChart& literature = literatureChart();
    for (PrintedDegree& degree : chart.degrees) {
        for (PrintedLevel& level : degree.levels) {
            const std::vector<NamedClass>* basis = names.basis(degree.t, level.at.k());
            for (std::size_t b = 0; basis != nullptr && b < basis->size(); ++b) {
                const NamedClass& named = (*basis)[b];
                const SphereValue value{degree.t, level.at.k(), named.bits};
                PrintedBasisClass printed{named.name, named.label, termsOf(named.bits),
                                          {},         {},          std::nullopt};
                const auto known = literature.byKey.find(named.name);
                if (known != literature.byKey.end()) {
                    const LiteratureClass& drawn = literature.classes[known->second];
                    if (drawn.stem == level.at.stem() &&
                        drawn.filtration == level.at.filtration()) {
                        printed.position = drawn.position;
                    }
                }
                for (const int i :
                     readings.products ? readings.productFactors : std::vector<int>{}) {
                    const auto h = std::find_if(
                        names.generators().begin(), names.generators().end(),
                        [&](const SphereGenerator& g) {
                            return g.name == std::string{'h', static_cast<char>('0' + i)};
                        });
                    if (h == names.generators().end() || chart.productLevel(level, i) == nullptr) {
                        continue;
                    }
                    const ChainResult<SphereValue> product = names.times(
                        value, static_cast<std::size_t>(h - names.generators().begin()));
                    if (product.failed()) {
                        return product.status();
                    }
                    printed.products[static_cast<std::size_t>(i)] = basisSum(chart, names, product);
                }
                if (readings.sq0) {
                    const ChainResult<SphereValue> image = names.sq0(value);
                    if (image.failed()) {
                        return image.status();
                    }
                    printed.sq0 = basisSum(chart, names, image);
                }
                level.basis.push_back(std::move(printed));
            }
        }
    }
    return ChainStatus::Ok;
}

void nameClasses(PrintedChart& chart, const ChartNamer& namer) {
    for (PrintedDegree& degree : chart.degrees) {
        for (PrintedLevel& level : degree.levels) {
            for (std::size_t j = 0; j < level.classes.size(); ++j) {
                level.classes[j].names.emplace();
                level.classes[j].names->name = namer.classNameOf(level, j);
            }
            // A cell-changing pairing's ends, the source one level down.
            for (ChartArrow& arrow : level.arrows) {
                arrow.targetName = namer.lambdaName(level.at.k(), arrow.target);
                arrow.sourceName = namer.lambdaName(level.at.k() - 1, arrow.source);
            }
        }
    }
    for (PrintedDegree& degree : chart.degrees) {
        for (PrintedLevel& level : degree.levels) {
            for (ChartClass& c : level.classes) {
                for (const int i : chart.plan.readings.productFactors) {
                    if (c.products) {
                        c.names->products[static_cast<std::size_t>(i)] =
                            namer.sumName(c.products->terms[static_cast<std::size_t>(i)],
                                          chart.productLevel(level, i));
                    }
                }
                for (std::size_t x = 0; x < c.multiplied.size(); ++x) {
                    c.names->multiplied.push_back(
                        namer.sumName(c.multiplied[x],
                                      chart.productLevel(level, chart.plan.readings.multiply[x])));
                }
                if (c.transfer) {
                    c.names->transfer = namer.sphereSumName(
                        *c.transfer, chart.sphereLevel(chart.plan.space.transferDegree(degree.t),
                                                       level.at.s + 1));
                }
                for (const std::optional<std::vector<PrintedMonomial>>& image : c.maps) {
                    c.names->maps.push_back(namer.imageName(image));
                }
                if (c.rootInvariant) {
                    const Bidegree& at = c.rootInvariant->at;
                    c.names->rootInvariant = namer.sphereBasisNames(at, c.rootInvariant->value);
                    for (const std::vector<PrintedMonomial>& element :
                         c.rootInvariant->indeterminacy) {
                        c.names->rootInvariantIndeterminacy.push_back(
                            namer.sphereBasisNames(at, element));
                    }
                }
            }
        }
    }
}

// A value of the sphere as the chart holds it: nothing where its level is
// not in the chart.
std::optional<NamedSum> namedSum(const PrintedChart& chart, SphereNames& names,
                                 const SphereValue& value) {
    const PrintedLevel* level = chart.level(value.t, value.k + 1);
    const std::optional<std::string> name = names.name(value);
    if (level == nullptr || !name) {
        return std::nullopt;
    }
    return NamedSum{level->at, termsOf(value.bits), *name};
}

// A class as --massey gives it: a name, or STEM:FILTRATION:INDEX.
ChainResult<SphereValue> givenClass(SphereNames& names, const std::string& text, std::string& why) {
    if (!meantAsClassRef(text)) {
        return names.parse(text, why);
    }
    const std::optional<SphereClassRef> x = parseClassRef(text);
    const ChartSurvivors* survivors = x ? names.survivors(x->t(), x->level()) : nullptr;
    if (survivors == nullptr || x->index >= survivors->size()) {
        why = text + " is no class of the sphere the chart reads";
        return ChainResult<SphereValue>::none();
    }
    return SphereValue{x->t(), x->level(), ClassBits{1} << x->index};
}

void fill(const PrintedChart& chart, SphereNames& names, const MasseyValue& found,
          std::optional<NamedSum>& value, std::vector<NamedSum>& indeterminacy) {
    value = namedSum(chart, names, found.value);
    for (const SphereValue& element : found.indeterminacy) {
        if (const std::optional<NamedSum> named = namedSum(chart, names, element)) {
            indeterminacy.push_back(*named);
        }
    }
}

ChainStatus addMassey(PrintedChart& chart, SphereNames& names, std::string& refusal) {
    for (const std::string& text : chart.plan.readings.massey) {
        PrintedMassey printed;
        std::vector<SphereValue> classes;
        for (std::size_t from = 0; from <= text.size();) {
            const std::size_t comma = std::min(text.find(',', from), text.size());
            printed.factors.push_back(text.substr(from, comma - from));
            from = comma + 1;
        }
        for (const std::string& factor : printed.factors) {
            std::string why;
            const ChainResult<SphereValue> value = givenClass(names, factor, why);
            if (!value) {
                refusal = "--massey " + text + ": " + why;
                return value.status();
            }
            classes.push_back(*value);
        }
        MasseyValue found;
        std::string why;
        const ChainResult<MasseyOutcome> outcome =
            masseyProduct(names, classes[0], classes[1], classes[2], printed.factors, found, why);
        if (!outcome) {
            return outcome.status();
        }
        switch (*outcome) {
        case MasseyOutcome::NotZero:
            refusal = "--massey " + text + ": " + why;
            return ChainStatus::Ok;
        case MasseyOutcome::Outside:
            break;
        case MasseyOutcome::Found:
            fill(chart, names, found, printed.value, printed.indeterminacy);
            break;
        }
        chart.massey.push_back(std::move(printed));
    }
    return ChainStatus::Ok;
}

ChainStatus addPeriodicity(PrintedChart& chart, SphereNames& names,
                           const OnReadingProgress& progress) {
    std::string why;
    const ChainResult<SphereValue> h3 = names.parse("h3", why);
    const ChainResult<SphereValue> h04 = names.parse("h0^4", why);
    if (!h3 || !h04) {
        return h3.failed() ? h3.status() : h04.status(); // else the chart is too short for any
    }
    const std::size_t h0Place = static_cast<std::size_t>(
        std::find_if(names.generators().begin(), names.generators().end(),
                     [](const SphereGenerator& g) { return g.name == "h0"; }) -
        names.generators().begin());
    const SphereTable& sphere = names.algebra().computation().sphere();
    const auto work = [&](const PrintedLevel& level) {
        return readingWork(sphere.kept(level.at.t, level.at.k()));
    };
    std::size_t total = 0;
    double totalWork = 0;
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            total += level.classes.size();
            totalWork += static_cast<double>(level.classes.size()) * work(level);
        }
    }
    ReadingSteps steps(progress, "periodicity", "classes", total, totalWork);
    for (PrintedDegree& degree : chart.degrees) {
        for (PrintedLevel& level : degree.levels) {
            for (std::size_t j = 0; j < level.classes.size(); ++j) {
                steps.next(degree.t, level.at.k(), work(level));
                ChainResult<SphereValue> x = SphereValue{degree.t, level.at.k(), ClassBits{1} << j};
                const SphereValue given = *x;
                for (int power = 0; power < 4 && x; ++power) {
                    x = names.times(*x, h0Place);
                }
                if (!x) {
                    if (x.failed()) {
                        return x.status();
                    }
                    continue; // h0^4 x lies past the chart
                }
                PrintedPeriodicity& p = level.classes[j].periodicity.emplace();
                p.defined = x->bits == 0;
                MasseyValue found;
                const ChainResult<MasseyOutcome> outcome =
                    p.defined
                        ? masseyProduct(names, *h3, *h04, given, {"h3", "h0^4", "x"}, found, why)
                        : MasseyOutcome::NotZero;
                if (!outcome) {
                    return outcome.status();
                }
                if (*outcome == MasseyOutcome::Found) {
                    fill(chart, names, found, p.value, p.indeterminacy);
                }
            }
        }
    }
    return ChainStatus::Ok;
}

// The products by h_i the chart holds already, where its space is the
// sphere: the names read those again otherwise.
SphereNames::KnownProducts productsRead(const PrintedChart& chart, const Computation& computation) {
    SphereNames::KnownProducts known;
    const SphereTable& sphere = computation.sphere();
    if (&computation.table() != &sphere || chart.plan.readings.unstable) {
        return known;
    }
    for (const PrintedDegree& printed : chart.degrees) {
        for (const PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const ChartSurvivors order(sphere.kept(printed.t, k));
            for (const ChartClass& c : level.classes) {
                for (int i = 0; c.products && i < productFactorCount; ++i) {
                    const PrintedSum& terms = c.products->terms[static_cast<std::size_t>(i)];
                    ClassBits bits = 0;
                    bool fits = terms.has_value();
                    for (const std::size_t place : terms.value_or(std::vector<std::size_t>{})) {
                        fits = fits && place < maxNamedClasses;
                        bits |= fits ? ClassBits{1} << place : 0;
                    }
                    if (fits) {
                        known.emplace(std::make_tuple(printed.t, k, order.place(c.record), i),
                                      bits);
                    }
                }
            }
        }
    }
    return known;
}

} // namespace

void planNamesBeyond(const Computation& computation, const WiderBand& beyond) {
    if (beyond.computation() != nullptr) {
        ChainAlgebra algebra(computation);
        SphereNames(algebra, beyond.computation()).planBeyond(computation.sphere().degrees());
    }
}

ChainStatus addNames(PrintedChart& chart, const Computation& computation, const WiderBand* beyond,
                     const OnReadingProgress& progress, std::vector<std::string>& warnings,
                     std::string& refusal) {
    ChainAlgebra algebra(computation);
    SphereNames names(algebra, beyond != nullptr ? beyond->computation() : nullptr,
                      beyond != nullptr ? beyond->twoWider() : nullptr);
    names.knowProducts(productsRead(chart, computation));
    const ChainResult<Done> computed =
        names.compute(computation.sphere().degrees(), progress, warnings, refusal);
    if (!computed) {
        return computed.status();
    }
    for (const std::size_t listed : names.listed()) {
        const SphereGenerator& g = names.generators()[listed];
        chart.generators.push_back({Bidegree::atStem(g.stem, g.filtration), g.index, g.name});
    }
    const Readings& readings = chart.plan.readings;
    ChainStatus status = ChainStatus::Ok;
    if (readings.names && readings.unstable) {
        status = addUnstableNames(chart, names);
    } else if (readings.names) {
        nameClasses(chart, ChartNamer(names, chart, computation));
        if (chart.plan.space.isSphere()) {
            status = addBasis(chart, names);
        }
    }
    if (!readings.massey.empty() && status == ChainStatus::Ok) {
        status = addMassey(chart, names, refusal);
    }
    if (readings.periodicity && status == ChainStatus::Ok && refusal.empty()) {
        status = addPeriodicity(chart, names, progress);
    }
    return status;
}

} // namespace curtis
