#include "readings/chart_products.hpp"

#include "chart/chart_lines.hpp"
#include "readings/reading_threads.hpp"
#include "readings/transfer.hpp"
#include "readings/unstable_products.hpp"

#include <algorithm>
#include <map>

namespace curtis {

namespace {

// The survivors of the levels that readings land in, each found once: the
// tables do not change while they are read.
class SurvivorsOf {
public:
    const ChartSurvivors& operator()(const LevelRecords& level) {
        auto found = levels_.find(&level);
        if (found == levels_.end()) {
            found = levels_.emplace(&level, ChartSurvivors(level)).first;
        }
        return found->second;
    }

private:
    std::map<const LevelRecords*, ChartSurvivors> levels_;
};

// A phase's steps and their work, summed before it starts.
struct PhaseSize {
    std::size_t steps = 0;
    double work = 0;

    // n steps, each reading `read`.
    void add(std::size_t n, const LevelRecords& read) {
        steps += n;
        work += static_cast<double>(n) * readingWork(read);
    }
};

// One step per class of the chart's degrees, each reading its own level,
// `per` times.
PhaseSize perClass(const PrintedChart& chart, const CurtisTable& table, std::size_t per = 1) {
    PhaseSize size;
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            size.add(level.classes.size() * per, table.kept(degree.t, level.at.k()));
        }
    }
    return size;
}

// A chain's words in decreasing order.
std::vector<Entry> decreasing(const Chain& chain) {
    const int length = chain.k + 1;
    std::vector<const Entry*> rows;
    for (std::size_t w = 0; w < chain.words.size(); w += static_cast<std::size_t>(length)) {
        rows.push_back(chain.words.data() + w);
    }
    std::sort(rows.begin(), rows.end(),
              [&](const Entry* a, const Entry* b) { return compareMonomials(a, b, length) > 0; });
    std::vector<Entry> words;
    for (const Entry* row : rows) {
        words.insert(words.end(), row, row + length);
    }
    return words;
}

// The products by h_i of one class, each i of its level that is read.
struct ClassProducts {
    std::int32_t t = 0;
    int k = 0;
    ChartClass* of = nullptr;
    std::vector<int> factors;
    std::vector<ChainResult<ClassTerms>> terms; // one for each factor
};

// The products addProducts reads, class by class in the chart's order.
std::vector<ClassProducts> productsToRead(PrintedChart& chart, const Computation& computation) {
    std::vector<ClassProducts> read;
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            std::vector<int> factors;
            for (const int i : chart.plan.readings.productFactors) {
                const std::int32_t target = printed.t + (1 << i);
                if (chart.plan.productShown(printed.t, i) && computation.computed(target) &&
                    level.at.k() + 1 < computation.finalLevels(target)) {
                    factors.push_back(i);
                }
            }
            for (ChartClass& c : level.classes) {
                c.products.emplace();
                if (!factors.empty()) {
                    ClassProducts products;
                    products.t = printed.t;
                    products.k = level.at.k();
                    products.of = &c;
                    products.factors = factors;
                    products.terms.assign(factors.size(), ChainResult<ClassTerms>::none());
                    read.push_back(std::move(products));
                }
            }
        }
    }
    return read;
}

} // namespace

ChainStatus addProducts(PrintedChart& chart, const Computation& computation,
                        const OnReadingProgress& progress, const ProductsAhead* ahead) {
    SurvivorsOf survivorsOf;
    const CurtisTable& table = computation.table();
    std::vector<ClassProducts> read = productsToRead(chart, computation);
    const auto target = [&](const ClassProducts& c, int i) -> const LevelRecords& {
        return table.kept(c.t + (1 << i), c.k + 1);
    };
    PhaseSize size;
    for (const ClassProducts& c : read) {
        for (const int i : c.factors) {
            size.add(1, target(c, i));
        }
    }
    ReadingSteps steps(progress, "products", "products", size.steps, size.work);
    // Each class's products on one thread: its cycle is built once.
    readOnThreads(
        computation, read.size(), computation.settings().threads,
        [&](ChainAlgebra& algebra, std::size_t j) {
            Products products(algebra);
            ClassProducts& c = read[j];
            const Entry* word = table.kept(c.t, c.k).word(c.of->record);
            for (std::size_t f = 0; f < c.factors.size(); ++f) {
                const ClassTerms* known =
                    ahead ? ahead->find(c.t, c.k, c.of->record, c.factors[f]) : nullptr;
                c.terms[f] = known ? ChainResult<ClassTerms>(*known)
                                   : products.product(c.t, c.k, word, c.factors[f]);
            }
        },
        [&](std::size_t j) {
            for (const int i : read[j].factors) {
                steps.next(read[j].t, read[j].k, readingWork(target(read[j], i)));
            }
        },
        ahead ? ahead->cycles() : std::make_shared<SurvivorCycles>());
    // The first product that failed, in the order they were read in one by
    // one: level by level, each factor for every class.
    std::size_t first = 0;
    while (first < read.size()) {
        std::size_t last = first;
        while (last < read.size() && read[last].t == read[first].t &&
               read[last].k == read[first].k) {
            ++last;
        }
        for (std::size_t f = 0; f < read[first].factors.size(); ++f) {
            const ChartSurvivors& into = survivorsOf(target(read[first], read[first].factors[f]));
            for (std::size_t j = first; j < last; ++j) {
                const ChainResult<ClassTerms>& terms = read[j].terms[f];
                if (!terms) {
                    return terms.status(); // none cannot be: the level was found
                }
                read[j].of->products->terms[static_cast<std::size_t>(read[j].factors[f])] =
                    into.places(*terms);
            }
        }
        first = last;
    }
    return ChainStatus::Ok;
}

ChainStatus addSq0(PrintedChart& chart, const Computation& computation,
                   const OnReadingProgress& progress) {
    ChainAlgebra algebra(computation);
    SurvivorsOf survivorsOf;
    const SphereTable& sphere = computation.sphere();
    // Whether Sq^0 of level k of degree t is read: within the final levels
    // and the chart.
    const auto read = [&](std::int32_t t, const PrintedLevel& level) {
        const std::int32_t target = 2 * t - 1;
        return algebra.sphereFinal(t, level.at.k()) && algebra.sphereFinal(target, level.at.k()) &&
               chart.plan.shows(Space::sphere().bidegree(target, level.at.s));
    };
    PhaseSize size;
    for (const PrintedDegree& printed : chart.degrees) {
        for (const PrintedLevel& level : printed.levels) {
            if (read(printed.t, level)) {
                size.add(level.classes.size(), sphere.kept(2 * printed.t - 1, level.at.k()));
            }
        }
    }
    ReadingSteps steps(progress, "Sq0", "classes", size.steps, size.work);
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            if (!read(printed.t, level)) {
                continue; // past the chart
            }
            const LevelRecords& target = sphere.kept(2 * printed.t - 1, k);
            const ChartSurvivors& into = survivorsOf(target);
            for (ChartClass& c : level.classes) {
                steps.next(printed.t, k, readingWork(target));
                const ChainResult<ClassTerms> terms = algebra.sq0(printed.t, k, {c.record});
                if (!terms) {
                    return terms.status();
                }
                c.sq0 = into.places(*terms);
            }
        }
    }
    return ChainStatus::Ok;
}

namespace {

// The places among a level's classes of the classes with these records; a
// record that is no class of the level has none.
std::vector<std::size_t> classIndices(const ClassTerms& records, const PrintedLevel& level) {
    std::map<std::int32_t, std::size_t> placeOf;
    for (std::size_t j = 0; j < level.classes.size(); ++j) {
        placeOf.emplace(level.classes[j].record, j);
    }
    std::vector<std::size_t> indices;
    for (const std::int32_t record : records) {
        const auto found = placeOf.find(record);
        if (found != placeOf.end()) {
            indices.push_back(found->second);
        }
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

} // namespace

ChainStatus addUnstableProducts(PrintedChart& chart, const Computation& computation,
                                const OnReadingProgress& progress) {
    ChainAlgebra algebra(computation);
    const CurtisTable& table = computation.table();
    const int sphere = *chart.plan.readings.unstable;
    UnstableProducts products(algebra, sphere);
    // The level the product by h_i of a class of `level` lands in, if it is
    // read: h_i lives on S^(N + k) from 2^i on.
    const auto target = [&](const PrintedLevel& level, int i) -> const PrintedLevel* {
        if (!chart.plan.productShown(level.at.t, i) || sphere + level.at.stem() < (1 << i)) {
            return nullptr;
        }
        return chart.productLevel(level, i);
    };
    PhaseSize size;
    for (const PrintedDegree& printed : chart.degrees) {
        for (const PrintedLevel& level : printed.levels) {
            for (const int i : chart.plan.readings.productFactors) {
                if (const PrintedLevel* into = target(level, i)) {
                    size.add(level.classes.size(), table.kept(into->at.t, into->at.k()));
                }
            }
        }
    }
    ReadingSteps steps(progress, "products", "products", size.steps, size.work);
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const LevelRecords& records = table.kept(printed.t, k);
            for (ChartClass& c : level.classes) {
                c.products.emplace();
                const Entry* word = records.word(c.record);
                // A target's killer: the tag of its record, one level down.
                const Entry* killer =
                    c.killer.empty() ? nullptr
                                     : table.kept(printed.t, k - 1).word(records.partner(c.record));
                for (const int i : chart.plan.readings.productFactors) {
                    const PrintedLevel* into = target(level, i);
                    if (into == nullptr) {
                        continue;
                    }
                    steps.next(printed.t, k, readingWork(table.kept(into->at.t, into->at.k())));
                    const ChainResult<ClassTerms> terms =
                        products.product(printed.t, k, word, killer, i);
                    if (terms.failed()) {
                        return terms.status();
                    }
                    if (terms) {
                        c.products->terms[static_cast<std::size_t>(i)] =
                            classIndices(*terms, *into);
                    }
                }
            }
        }
    }
    return ChainStatus::Ok;
}

std::optional<SphereSurvivor> findSphereClass(const Computation& computation,
                                              const SphereClassRef& x, std::string& why) {
    const SphereTable& sphere = computation.sphere();
    const std::int32_t t = x.t();
    const int k = x.level();
    std::optional<ChartSurvivors> survivors;
    if (sphere.hasLevel(t, k) && k < sphere.band().finalLevels(t)) {
        survivors.emplace(sphere.kept(t, k));
    }
    const std::size_t count = survivors ? survivors->size() : 0;
    if (x.index < count) {
        return SphereSurvivor{t, k, sphere.kept(t, k).word(survivors->record(x.index))};
    }
    why = "--multiply " + x.name() + ": the sphere has " + std::to_string(count) +
          (count == 1 ? " class" : " classes") + " at stem " + std::to_string(x.stem) +
          ", filtration " + std::to_string(x.filtration) + ", numbered from 0";
    return std::nullopt;
}

ChainStatus addMultiplied(PrintedChart& chart, const Computation& computation,
                          const std::vector<SphereSurvivor>& by,
                          const OnReadingProgress& progress) {
    ChainAlgebra algebra(computation);
    Products products(algebra);
    SurvivorsOf survivorsOf;
    const CurtisTable& table = computation.table();
    const PhaseSize size = perClass(chart, table, by.size());
    ReadingSteps steps(progress, "products", "products", size.steps, size.work);
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const LevelRecords& records = table.kept(printed.t, k);
            for (ChartClass& c : level.classes) {
                for (std::size_t x = 0; x < by.size(); ++x) {
                    steps.next(printed.t, k, readingWork(records));
                    const PrintedLevel* target =
                        chart.productLevel(level, chart.plan.readings.multiply[x]);
                    ChainResult<ClassTerms> terms = ChainResult<ClassTerms>::none();
                    if (target != nullptr) {
                        terms = products.productBy(printed.t, k, records.word(c.record), by[x]);
                    }
                    if (terms.failed()) {
                        return terms.status();
                    }
                    c.multiplied.push_back(
                        terms ? PrintedSum(survivorsOf(table.kept(target->at.t, target->at.k()))
                                               .places(*terms))
                              : std::nullopt);
                }
            }
        }
    }
    return ChainStatus::Ok;
}

ChainStatus addCycles(PrintedChart& chart, const Computation& computation,
                      const OnReadingProgress& progress, std::string& refusal) {
    ChainAlgebra algebra(computation);
    const CurtisTable& table = computation.table();
    const PhaseSize size = perClass(chart, table);
    ReadingSteps steps(progress, "cycles", "classes", size.steps, size.work);
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const std::size_t length = static_cast<std::size_t>(k) + 1;
            const LevelRecords& records = table.kept(printed.t, k);
            for (ChartClass& c : level.classes) {
                steps.next(printed.t, k, readingWork(records));
                const ChainResult<Chain> cycle =
                    algebra.cycle(table, printed.t, k, records.word(c.record));
                if (!cycle) {
                    return cycle.status();
                }
                const std::vector<Entry> words = decreasing(*cycle);
                if (words.size() / length > maxCycleTerms) {
                    refusal = "the cycle of " + monomialText(c.word) + " (stem " +
                              std::to_string(level.at.stem()) + ", filtration " +
                              std::to_string(level.at.filtration()) + ") has " +
                              std::to_string(words.size() / length) + " terms, more than the " +
                              std::to_string(maxCycleTerms) + " a chart writes";
                    return ChainStatus::Ok;
                }
                for (std::size_t w = 0; w < words.size(); w += length) {
                    c.cycle.push_back(
                        printMonomial(words.data() + w, static_cast<int>(length), table.weight()));
                }
            }
        }
    }
    return ChainStatus::Ok;
}

ChainStatus addTransfers(PrintedChart& chart, const Computation& computation,
                         const OnReadingProgress& progress) {
    ChainAlgebra algebra(computation);
    Transfer transfer(algebra);
    SurvivorsOf survivorsOf;
    const CurtisTable& table = computation.table();
    const PhaseSize size = perClass(chart, table);
    ReadingSteps steps(progress, "transfer", "classes", size.steps, size.work);
    for (PrintedDegree& printed : chart.degrees) {
        const std::int32_t target = chart.plan.space.transferDegree(printed.t);
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const LevelRecords& records = table.kept(printed.t, k);
            for (ChartClass& c : level.classes) {
                steps.next(printed.t, k, readingWork(records));
                const ChainResult<ClassTerms> terms =
                    transfer.image(printed.t, k, records.word(c.record));
                if (!terms) {
                    // A missing sphere degree is a failure too.
                    return terms.failed() ? terms.status() : ChainStatus::Contradiction;
                }
                c.transfer = survivorsOf(computation.sphere().kept(target, k + 1)).places(*terms);
            }
        }
    }
    return ChainStatus::Ok;
}

} // namespace curtis
