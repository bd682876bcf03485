#include "readings/chart_products.hpp"

#include <algorithm>

namespace curtis {

namespace {

// The survivors of a level, as their records, in the order in which the
// chart lists them.
std::vector<std::int32_t> survivorRecords(const LevelRecords& level) {
    std::vector<std::int32_t> survivors;
    const std::vector<std::int32_t>& order = level.increasing();
    for (auto i = order.rbegin(); i != order.rend(); ++i) {
        if (level.state(*i) == Alive) {
            survivors.push_back(*i);
        }
    }
    return survivors;
}

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
            for (int i = 0; i < 4; ++i) {
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
