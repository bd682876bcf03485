#include "elimination/storage_plan.hpp"

#include "algebra/term_set.hpp"
#include "elimination/generator_tables.hpp"

#include <algorithm>

namespace curtis {

namespace {

// Term-set rows counted in advance: at least this many, or this fraction
// of the largest level.
constexpr std::int64_t headroomRowsAtLeast = 16384;
constexpr std::int64_t largestLevelPerHeadroomRow = 512;

} // namespace

std::int32_t termSetHeadroomRows(const BasisCounts& counts) {
    std::int64_t largest = 0;
    for (int L = 1; L < counts.levels(); ++L) {
        largest = std::max(largest, counts.levelSize(L));
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        largest / largestLevelPerHeadroomRow + 1, headroomRowsAtLeast, TermSet::maxRowLimit));
}

StoragePlan planStorage(std::int32_t t, const StorageSettings& settings) {
    return planStorage(BasisCounts(t), settings);
}

StoragePlan planStorage(const BasisCounts& counts, const StorageSettings& settings) {
    StoragePlan plan;
    for (int L = 0; L < counts.levels(); ++L) {
        plan.levelCapacities.push_back(settings.recordLimit > 0 ? settings.recordLimit
                                                                : counts.levelSize(L));
    }
    plan.threads = settings.threads > 0 ? settings.threads : std::max(settings.processors, 1);
    plan.termSetRows = settings.termSetRows > 0 ? settings.termSetRows : unlimitedTermSetRows;
    plan.termSetHeadroomRows = std::min(plan.termSetRows, termSetHeadroomRows(counts));
    plan.termSets = plan.threads;
    plan.levelBytes = GeneratorTables::blockBytes(plan.levelCapacities, settings.keepLevels);
    // Rows of the level above the one eliminated: as long as the longest
    // word counted.
    plan.termSetBytes =
        TermSet::bytesFor(plan.termSetHeadroomRows, counts.levels()) * plan.termSets;
    return plan;
}

int threadsThatFit(const StoragePlan& plan, std::uint64_t obtainable) {
    const std::uint64_t perSet =
        plan.termSetBytes / static_cast<std::uint64_t>(std::max(plan.termSets, 1));
    const std::uint64_t room = obtainable > plan.levelBytes ? obtainable - plan.levelBytes : 0;
    const std::uint64_t fit =
        perSet == 0 ? static_cast<std::uint64_t>(plan.threads) : room / perSet;
    return static_cast<int>(
        std::clamp<std::uint64_t>(fit, 1, static_cast<std::uint64_t>(plan.threads)));
}

StoragePlan fittingPlan(const BasisCounts& counts, const StorageSettings& settings,
                        std::optional<StorageShortfall>& shortfall) {
    StoragePlan plan = planStorage(counts, settings);
    shortfall.reset();
    if (!settings.checkMemory) {
        return plan;
    }
    const ObtainableMemory obtainable = settings.obtainable.value_or(ObtainableMemory{});
    if (plan.totalBytes() > obtainable.bytes && settings.threads == 0 && plan.threads > 1) {
        StorageSettings fewer = settings;
        fewer.threads = threadsThatFit(plan, obtainable.bytes);
        plan = planStorage(counts, fewer);
    }
    if (plan.totalBytes() > obtainable.bytes) {
        shortfall = StorageShortfall{plan.totalBytes(), obtainable};
    }
    return plan;
}

} // namespace curtis
