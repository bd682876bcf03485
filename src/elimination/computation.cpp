#include "elimination/computation.hpp"

#include "algebra/term_set.hpp"
#include "elimination/level_elimination.hpp"

#include <algorithm>
#include <cerrno>

namespace curtis {

std::int32_t termSetRowsFor(const BasisCounts& counts) {
    std::int64_t largest = 0;
    for (int L = 1; L < counts.degree(); ++L) {
        largest = std::max(largest, counts.levelSize(L));
    }
    return static_cast<std::int32_t>(std::max<std::int64_t>(1024, (largest + 63) / 64));
}

StoragePlan planStorage(std::int32_t t, const ComputationSettings& settings) {
    const BasisCounts counts(t);
    StoragePlan plan;
    for (int L = 0; L < t; ++L) {
        plan.levelCapacities.push_back(settings.recordLimit > 0 ? settings.recordLimit
                                                                : counts.levelSize(L));
    }
    plan.termSetRows = settings.termSetRows > 0 ? settings.termSetRows : termSetRowsFor(counts);
    plan.levelBytes = GeneratorTables::blockBytes(plan.levelCapacities);
    plan.termSetBytes = TermSet::bytesFor(plan.termSetRows, t);
    return plan;
}

namespace {

// Appends the basis of level L to its table; false if it does not fit.
bool buildLevel(GeneratorTables& tables, std::int32_t t, int L) {
    LevelTable level = tables.table(L);
    const std::int64_t capacity = tables.capacity(L);
    std::int64_t& count = tables.levelCount(L);
    return enumerateLevel(t, L, [&](const Entry* word) {
        if (count >= capacity) {
            return false;
        }
        copyMonomial(level.word(count), word, L + 1);
        level.state(count) = Alive;
        ++count;
        return true;
    });
}

ComputationResult failure(Outcome outcome, int level = -1, std::int64_t limit = 0) {
    ComputationResult result;
    result.outcome = outcome;
    result.level = level;
    result.limit = limit;
    return result;
}

} // namespace

ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel) {
    const StoragePlan plan = planStorage(t, settings);
    if (settings.checkMemory) {
        const ObtainableMemory obtainable = obtainableMemory();
        if (plan.totalBytes() > obtainable.bytes) {
            ComputationResult result = failure(Outcome::MemoryShortfall);
            result.bytesNeeded = plan.totalBytes();
            result.obtainable = obtainable;
            return result;
        }
    }
    GeneratorTables tables;
    if (!tables.allocate(plan.levelCapacities)) {
        ComputationResult result = failure(Outcome::LevelStorageFailed);
        result.error = errno;
        return result;
    }
    TermSet set;
    if (!set.allocate(plan.termSetRows, t)) {
        return failure(Outcome::WorkStorageFailed);
    }

    buildLevel(tables, t, 0); // the single generator (t - 1), the top cell
    for (int k = 0; k + 1 < t; ++k) {
        if (!buildLevel(tables, t, k + 1)) {
            return failure(Outcome::LevelOverflow, k + 1, tables.capacity(k + 1));
        }
        if (settings.afterEnumeration) {
            settings.afterEnumeration(tables, k + 1);
        }
        const LevelTable current = tables.table(k);
        switch (eliminateLevel(current, tables.table(k + 1), w, set)) {
        case EliminationStatus::Ok:
            break;
        case EliminationStatus::TermSetFull:
            return failure(Outcome::TermSetFull, k, set.rowLimit());
        case EliminationStatus::LeadingTermMissing:
            return failure(Outcome::LeadingTermMissing, k);
        }
        if (!onLevel(FinishedLevel{k, t, w, current})) {
            return failure(Outcome::Stopped, k);
        }
    }
    if (!onLevel(FinishedLevel{t - 1, t, w, tables.table(t - 1)})) {
        return failure(Outcome::Stopped, t - 1);
    }
    return ComputationResult{};
}

} // namespace curtis
