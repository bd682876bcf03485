#include "elimination/computation.hpp"

#include "algebra/positions.hpp"
#include "algebra/term_set.hpp"
#include "elimination/level_elimination.hpp"
#include "elimination/parallel_elimination.hpp"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace curtis {

namespace {

// Levels smaller than this are eliminated on one thread: not worth handing
// round.
constexpr std::int64_t smallestParallelLevel = 1024;

ComputationResult failure(Outcome outcome, int level = -1, std::int64_t limit = 0) {
    ComputationResult result;
    result.outcome = outcome;
    result.level = level;
    result.limit = limit;
    return result;
}

ComputationResult shortfallResult(const std::optional<StorageShortfall>& shortfall) {
    ComputationResult result;
    if (shortfall) {
        result.outcome = Outcome::MemoryShortfall;
        result.bytesNeeded = shortfall->bytesNeeded;
        result.obtainable = shortfall->obtainable;
    }
    return result;
}

// The rows of the term sets when one could hold no more: the limit they may
// grow to, or the most that any of them obtained.
std::int64_t termSetLimit(const StoragePlan& plan, const std::vector<TermSet>& sets) {
    if (plan.termSetRows < unlimitedTermSetRows) {
        return plan.termSetRows;
    }
    std::int32_t rows = 0;
    for (const TermSet& set : sets) {
        rows = std::max(rows, set.rowCapacity());
    }
    return rows;
}

} // namespace

int bandReach(int F) {
    // Read off the counts (see the tests): from F = 16 on, the whole
    // computation's bound.
    constexpr int reach[] = {255, 255, 255, 255, 255, 200, 138, 107,
                             89,  79,  71,  67,  63,  61,  60,  59};
    return F >= 0 && F < static_cast<int>(std::size(reach)) ? reach[F] : maxTotalDegree;
}

BasisPositions basisFor(std::int32_t t, std::int32_t w, const ComputationSettings& settings) {
    const int lastLevel =
        settings.maxFiltration ? std::min(*settings.maxFiltration + 1, t - 1) : t - 1;
    if (!settings.topCell) {
        return BasisPositions(t, noTopCell, lastLevel);
    }
    // The offset of the top cell from the bottom cell; cells beyond t - 1
    // are never reached.
    const std::int64_t offset = std::int64_t{*settings.topCell} + w;
    return BasisPositions(t, static_cast<int>(std::clamp<std::int64_t>(offset, 0, t)), lastLevel);
}

int finalLevels(std::int32_t t, const ComputationSettings& settings) {
    return settings.maxFiltration ? std::min(*settings.maxFiltration + 1, t) : t;
}

ComputationResult checkStorage(std::int32_t t, std::int32_t w,
                               const ComputationSettings& settings) {
    std::optional<StorageShortfall> shortfall;
    fittingPlan(basisFor(t, w, settings).counts(), settings, shortfall);
    return shortfallResult(shortfall);
}

ComputationResult checkStorageOfRange(std::int32_t first, std::int32_t last, std::int32_t w,
                                      const ComputationSettings& settings, std::uint64_t alsoKept) {
    std::optional<StorageShortfall> shortfall;
    const StoragePlan plan = fittingPlan(basisFor(last, w, settings).counts(), settings, shortfall);
    if (shortfall || !settings.keepLevels || !settings.checkMemory) {
        return shortfallResult(shortfall);
    }
    // Every degree before the last keeps its levels too.
    const std::uint64_t bytes =
        plan.totalBytes() + keptLevelBytes(first, last - 1, w, settings) + alsoKept;
    const ObtainableMemory obtainable = settings.obtainable.value_or(ObtainableMemory{});
    if (bytes > obtainable.bytes) {
        shortfall = StorageShortfall{bytes, obtainable};
    }
    return shortfallResult(shortfall);
}

std::uint64_t keptLevelBytes(std::int32_t first, std::int32_t last, std::int32_t w,
                             const ComputationSettings& settings) {
    StorageSettings kept = settings;
    kept.keepLevels = true;
    std::uint64_t bytes = 0;
    for (std::int32_t t = first; t <= last; ++t) {
        bytes += planStorage(basisFor(t, w, settings).counts(), kept).levelBytes;
    }
    return bytes;
}

ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel) {
    // The basis lives on the heap, so that a kept degree can take it along.
    auto owned = std::make_unique<BasisPositions>(basisFor(t, w, settings));
    const BasisPositions& basis = *owned;
    std::optional<StorageShortfall> shortfall;
    const StoragePlan plan = fittingPlan(basis.counts(), settings, shortfall);
    if (shortfall) {
        return shortfallResult(shortfall);
    }
    GeneratorTables tables;
    if (!tables.allocate(basis, plan.levelCapacities, settings.keepLevels)) {
        ComputationResult result = failure(Outcome::LevelStorageFailed);
        result.error = errno;
        return result;
    }
    std::vector<TermSet> sets(static_cast<std::size_t>(plan.termSets));
    for (TermSet& set : sets) {
        if (!set.allocate(plan.termSetRows, basis.levels())) {
            return failure(Outcome::WorkStorageFailed);
        }
    }

    // Levels 0 .. last are opened; 0 .. handed - 1 are eliminated (as far
    // as a level above them is open) and handed over.
    const int last = basis.levels() - 1;
    const int handed = finalLevels(t, settings);
    int first = 0;
    if (settings.resumeFrom != nullptr && !settings.keepLevels) {
        first = settings.resumeFrom->level;
        if (first < 1 || first > last || first >= handed ||
            !tables.restore(first, settings.resumeFrom->fill)) {
            return failure(Outcome::ResumeMismatch, first);
        }
    } else {
        tables.open(0); // the single generator (t - 1), the top cell, if in the space
    }
    for (int k = first; k < last && k < handed; ++k) {
        if (!tables.open(k + 1)) {
            return failure(Outcome::LevelOverflow, k + 1, tables.capacity(k + 1));
        }
        if (settings.afterEnumeration) {
            settings.afterEnumeration(tables, k + 1);
        }
        const LevelTable current = tables.table(k);
        LevelProgress progress;
        if (settings.onProgress) {
            progress = [&](std::int64_t done) {
                settings.onProgress(ComputationProgress{k, t, done, current.count});
            };
        }
        const EliminationStatus status =
            sets.size() == 1 || current.count < smallestParallelLevel
                ? eliminateLevel(current, tables.table(k + 1), w, sets[0], progress)
                : eliminateLevelInParallel(current, tables.table(k + 1), w, sets, progress);
        switch (status) {
        case EliminationStatus::Ok:
            break;
        case EliminationStatus::TermSetFull:
            return failure(Outcome::TermSetFull, k, termSetLimit(plan, sets));
        case EliminationStatus::LeadingTermMissing:
            return failure(Outcome::LeadingTermMissing, k);
        }
        if (!onLevel(FinishedLevel{k, t, w, current})) {
            return failure(Outcome::Stopped, k);
        }
        if (settings.onLevelBoundary && !settings.keepLevels && k + 1 < last && k + 1 < handed) {
            settings.onLevelBoundary(k, tables.table(k + 1));
        }
    }
    // The last level of the whole computation is handed over as the level
    // below left it.
    if (handed == t && !onLevel(FinishedLevel{t - 1, t, w, tables.table(t - 1)})) {
        return failure(Outcome::Stopped, t - 1);
    }
    if (settings.keepLevels && settings.onDegree) {
        settings.onDegree(FinishedDegree{t, w, handed, std::move(owned), std::move(tables)});
    }
    return ComputationResult{};
}

} // namespace curtis
