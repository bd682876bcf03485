#include "curtis_chart/chart_products.hpp"

#include <algorithm>

namespace curtis {

namespace {

// The positions of the survivors of a level, in order: the order in which
// the chart lists them.
std::vector<std::int64_t> survivorPositions(const LevelTable& level) {
    std::vector<std::int64_t> positions;
    for (std::int64_t i = 0; i < level.count; ++i) {
        if (level.state(i) == Alive) {
            positions.push_back(i);
        }
    }
    return positions;
}

// The kept degree t, if it was computed here.
FinishedDegree* keptDegree(std::vector<FinishedDegree>& degrees, std::int32_t t) {
    for (FinishedDegree& degree : degrees) {
        if (degree.t == t) {
            return &degree;
        }
    }
    return nullptr;
}

} // namespace

Products::Status addProducts(PrintedChart& chart, std::vector<FinishedDegree>& degrees,
                             ProgressLine& progress) {
    chart.hasProducts = true;
    Products products(degrees);
    const std::int32_t last = chart.degrees.empty() ? 0 : chart.degrees.back().t;
    const auto degreeOf = [&](std::int32_t t) -> FinishedDegree& {
        return *keptDegree(degrees, t);
    };
    for (PrintedDegree& printed : chart.degrees) {
        // A degree taken from the cache has its products already.
        if (keptDegree(degrees, printed.t) == nullptr) {
            continue;
        }
        FinishedDegree& degree = degreeOf(printed.t);
        for (PrintedLevel& level : printed.levels) {
            const int k = level.s - 1;
            const std::vector<std::int64_t> sources = survivorPositions(degree.level(k));
            level.products.assign(sources.size(), PrintedProducts{});
            for (int i = 0; i < 4; ++i) {
                const std::int32_t target = printed.t + (1 << i);
                if (target > last || k + 1 >= degreeOf(target).finalLevels) {
                    continue; // not computed
                }
                const std::vector<std::int64_t> targets =
                    survivorPositions(degreeOf(target).level(k + 1));
                for (std::size_t j = 0; j < sources.size(); ++j) {
                    progress.updatePhase("products", printed.t, k);
                    const std::optional<std::vector<std::int64_t>> terms =
                        products.product(printed.t, k, sources[j], i);
                    if (!terms) {
                        return products.status();
                    }
                    std::vector<std::size_t>& indices = level.products[j].terms[i].emplace();
                    for (const std::int64_t term : *terms) {
                        indices.push_back(static_cast<std::size_t>(
                            std::lower_bound(targets.begin(), targets.end(), term) -
                            targets.begin()));
                    }
                }
            }
        }
    }
    return Products::Status::Ok;
}

Products::Status addTransfers(PrintedChart& chart, std::vector<FinishedDegree>& degrees,
                              std::vector<FinishedDegree>& sphere, ProgressLine& progress) {
    chart.hasTransfer = true;
    Products products(degrees);
    const std::int32_t a = -chart.weight;
    for (PrintedDegree& printed : chart.degrees) {
        // A degree taken from the cache has its images already.
        if (keptDegree(degrees, printed.t) == nullptr) {
            continue;
        }
        FinishedDegree& degree = *keptDegree(degrees, printed.t);
        const std::int32_t target = printed.t + 1 + a;
        FinishedDegree* image = nullptr;
        for (FinishedDegree& candidate : sphere) {
            image = candidate.t == target ? &candidate : image;
        }
        for (PrintedLevel& level : printed.levels) {
            const int k = level.s - 1;
            const std::vector<std::int64_t> sources = survivorPositions(degree.level(k));
            const std::vector<std::int64_t> targets =
                image ? survivorPositions(image->level(k + 1)) : std::vector<std::int64_t>{};
            level.transfer.assign(sources.size(), {});
            for (std::size_t j = 0; j < sources.size(); ++j) {
                progress.updatePhase("transfer", printed.t, k);
                const std::optional<std::vector<std::int64_t>> terms =
                    products.transfer(printed.t, k, sources[j], sphere);
                if (!terms) {
                    return products.status();
                }
                for (const std::int64_t term : *terms) {
                    level.transfer[j].push_back(static_cast<std::size_t>(
                        std::lower_bound(targets.begin(), targets.end(), term) - targets.begin()));
                }
            }
        }
    }
    return Products::Status::Ok;
}

} // namespace curtis
