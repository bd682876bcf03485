#include "readings/chart_products.hpp"

#include <algorithm>

namespace curtis {

namespace {

// The terms of a reading, given as records of the survivors of `level`, as
// their places among those survivors in the chart's order.
std::vector<std::size_t> survivorIndices(const std::vector<std::int32_t>& terms,
                                         const LevelRecords& level) {
    const std::vector<std::int32_t> survivors = survivorRecords(level);
    std::vector<std::size_t> indices;
    for (const std::int32_t term : terms) {
        indices.push_back(static_cast<std::size_t>(
            std::find(survivors.begin(), survivors.end(), term) - survivors.begin()));
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

} // namespace

Products::Status addProducts(PrintedChart& chart, const Computation& computation,
                             ProgressLine& progress) {
    Products products(computation);
    const CurtisTable& table = computation.table();
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const LevelRecords& records = table.kept(printed.t, k);
            const std::vector<std::int32_t> sources = survivorRecords(records);
            for (ChartClass& c : level.classes) {
                c.products.emplace();
            }
            for (const int i : chart.plan.readings.productFactors) {
                const std::int32_t target = printed.t + (1 << i);
                if (!chart.plan.productShown(printed.t, i) || !computation.computed(target) ||
                    k + 1 >= computation.finalLevels(target)) {
                    continue; // not computed
                }
                for (std::size_t j = 0; j < sources.size(); ++j) {
                    progress.updatePhase("products", printed.t, k);
                    const std::optional<std::vector<std::int32_t>> terms =
                        products.product(printed.t, k, records.word(sources[j]), i);
                    if (!terms) {
                        return products.status();
                    }
                    level.classes[j].products->terms[static_cast<std::size_t>(i)] =
                        survivorIndices(*terms, table.kept(target, k + 1));
                }
            }
        }
    }
    return Products::Status::Ok;
}

Products::Status addSq0(PrintedChart& chart, const Computation& computation,
                        ProgressLine& progress) {
    Products products(computation);
    const SphereTable& sphere = computation.sphere();
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const std::int32_t target = 2 * printed.t - 1;
            if (!products.sphereFinal(printed.t, k) || !products.sphereFinal(target, k) ||
                !chart.plan.shows(Space::sphere().bidegree(target, level.at.s))) {
                continue; // past the chart
            }
            const std::vector<std::int32_t> sources = survivorRecords(sphere.kept(printed.t, k));
            for (std::size_t j = 0; j < sources.size(); ++j) {
                progress.updatePhase("Sq0", printed.t, k);
                SphereChain cycle;
                if (!products.sphereCycle(printed.t, k, {sources[j]}, cycle) ||
                    !Products::sphereSq0(cycle)) {
                    return products.status();
                }
                const std::optional<std::vector<std::int32_t>> terms = products.sphereClass(cycle);
                if (!terms) {
                    return products.status();
                }
                level.classes[j].sq0 = survivorIndices(*terms, sphere.kept(target, k));
            }
        }
    }
    return Products::Status::Ok;
}

namespace {

std::vector<Entry> storedWord(const PrintedMonomial& word) {
    return std::vector<Entry>(word.begin(), word.end()); // the sphere: cell 0, no shift
}

// The places among a level's classes of the classes with these words.
std::vector<std::size_t> classIndices(const std::vector<std::vector<Entry>>& words,
                                      const PrintedLevel& level) {
    std::vector<std::size_t> indices;
    for (const std::vector<Entry>& word : words) {
        const PrintedMonomial printed(word.begin(), word.end());
        for (std::size_t j = 0; j < level.classes.size(); ++j) {
            if (level.classes[j].word == printed) {
                indices.push_back(j);
            }
        }
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

} // namespace

Products::Status addUnstableProducts(PrintedChart& chart, const Computation& computation,
                                     ProgressLine& progress) {
    Products products(computation);
    const int sphere = *chart.plan.readings.unstable;
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            for (ChartClass& c : level.classes) {
                c.products.emplace();
                const std::vector<Entry> word = storedWord(c.word);
                const std::vector<Entry> killer = storedWord(c.killer);
                for (const int i : chart.plan.readings.productFactors) {
                    const PrintedLevel* target = chart.productLevel(level, i);
                    // h_i lives on S^(N + k) from 2^i on.
                    if (!chart.plan.productShown(printed.t, i) || target == nullptr ||
                        sphere + level.at.stem() < (1 << i)) {
                        continue;
                    }
                    progress.updatePhase("products", printed.t, k);
                    const auto terms = products.unstableProduct(
                        printed.t, k, word.data(), c.killer.empty() ? nullptr : killer.data(), i,
                        sphere);
                    if (products.status() != Products::Status::Ok) {
                        return products.status();
                    }
                    if (terms) {
                        c.products->terms[static_cast<std::size_t>(i)] =
                            classIndices(*terms, *target);
                    }
                }
            }
        }
    }
    return Products::Status::Ok;
}

std::optional<SphereSurvivor> findSphereClass(const Computation& computation,
                                              const SphereClassRef& x, std::string& why) {
    const SphereTable& sphere = computation.sphere();
    const std::int32_t t = x.t();
    const int k = x.level();
    std::vector<std::int32_t> survivors;
    if (sphere.hasLevel(t, k) && k < sphere.band().finalLevels(t)) {
        survivors = survivorRecords(sphere.kept(t, k));
    }
    if (x.index < survivors.size()) {
        return SphereSurvivor{t, k, sphere.kept(t, k).word(survivors[x.index])};
    }
    why = "--multiply " + x.name() + ": the sphere has " + std::to_string(survivors.size()) +
          (survivors.size() == 1 ? " class" : " classes") + " at stem " + std::to_string(x.stem) +
          ", filtration " + std::to_string(x.filtration) + ", numbered from 0";
    return std::nullopt;
}

Products::Status addMultiplied(PrintedChart& chart, const Computation& computation,
                               const std::vector<SphereSurvivor>& by, ProgressLine& progress) {
    Products products(computation);
    const CurtisTable& table = computation.table();
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const LevelRecords& records = table.kept(printed.t, k);
            const std::vector<std::int32_t> sources = survivorRecords(records);
            for (std::size_t j = 0; j < sources.size(); ++j) {
                ChartClass& c = level.classes[j];
                for (std::size_t x = 0; x < by.size(); ++x) {
                    progress.updatePhase("products", printed.t, k);
                    const PrintedLevel* target =
                        chart.productLevel(level, chart.plan.readings.multiply[x]);
                    std::optional<std::vector<std::int32_t>> terms;
                    if (target != nullptr) {
                        terms = products.productBy(printed.t, k, records.word(sources[j]), by[x]);
                    }
                    if (products.status() != Products::Status::Ok) {
                        return products.status();
                    }
                    c.multiplied.push_back(
                        terms ? PrintedSum(survivorIndices(
                                    *terms, table.kept(target->at.t, target->at.k())))
                              : std::nullopt);
                }
            }
        }
    }
    return Products::Status::Ok;
}

Products::Status addCycles(PrintedChart& chart, const Computation& computation,
                           ProgressLine& progress, std::string& refusal) {
    Products products(computation);
    const CurtisTable& table = computation.table();
    std::vector<Entry> words;
    for (PrintedDegree& printed : chart.degrees) {
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const std::size_t length = static_cast<std::size_t>(k) + 1;
            const LevelRecords& records = table.kept(printed.t, k);
            const std::vector<std::int32_t> sources = survivorRecords(records);
            for (std::size_t j = 0; j < sources.size(); ++j) {
                progress.updatePhase("cycles", printed.t, k);
                if (!products.cycle(printed.t, k, records.word(sources[j]), words)) {
                    return products.status();
                }
                ChartClass& c = level.classes[j];
                if (words.size() / length > maxCycleTerms) {
                    refusal = "the cycle of " + monomialText(c.word) + " (stem " +
                              std::to_string(level.at.stem()) + ", filtration " +
                              std::to_string(level.at.filtration()) + ") has " +
                              std::to_string(words.size() / length) + " terms, more than the " +
                              std::to_string(maxCycleTerms) + " a chart writes";
                    return Products::Status::Ok;
                }
                for (std::size_t w = 0; w < words.size(); w += length) {
                    c.cycle.push_back(
                        printMonomial(words.data() + w, static_cast<int>(length), table.weight()));
                }
            }
        }
    }
    return Products::Status::Ok;
}

Products::Status addTransfers(PrintedChart& chart, const Computation& computation,
                              ProgressLine& progress) {
    Products products(computation);
    const CurtisTable& table = computation.table();
    for (PrintedDegree& printed : chart.degrees) {
        const std::int32_t target = chart.plan.space.transferDegree(printed.t);
        for (PrintedLevel& level : printed.levels) {
            const int k = level.at.k();
            const LevelRecords& records = table.kept(printed.t, k);
            const std::vector<std::int32_t> sources = survivorRecords(records);
            for (std::size_t j = 0; j < sources.size(); ++j) {
                progress.updatePhase("transfer", printed.t, k);
                const std::optional<std::vector<std::int32_t>> terms =
                    products.transfer(printed.t, k, records.word(sources[j]));
                if (!terms) {
                    return products.status() == Products::Status::Ok
                               ? Products::Status::Contradiction
                               : products.status();
                }
                level.classes[j].transfer =
                    survivorIndices(*terms, computation.sphere().kept(target, k + 1));
            }
        }
    }
    return Products::Status::Ok;
}

} // namespace curtis
