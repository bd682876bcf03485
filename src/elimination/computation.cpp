#include "elimination/computation.hpp"

#include "algebra/term_set.hpp"
#include "elimination/level_elimination.hpp"
#include "elimination/parallel_elimination.hpp"
#include "elimination/processors.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <span>
#include <system_error>
#include <thread>

namespace curtis {

std::int32_t termSetRowsFor(const BasisCounts& counts) {
    std::int64_t largest = 0;
    for (int L = 1; L < counts.degree(); ++L) {
        largest = std::max(largest, counts.levelSize(L));
    }
    return static_cast<std::int32_t>(std::max<std::int64_t>(1024, (largest + 63) / 64));
}

StoragePlan planStorage(std::int32_t t, const ComputationSettings& settings) {
    return planStorage(BasisCounts(t), settings);
}

StoragePlan planStorage(const BasisCounts& counts, const ComputationSettings& settings) {
    const int t = counts.degree();
    StoragePlan plan;
    for (int L = 0; L < t; ++L) {
        plan.levelCapacities.push_back(settings.recordLimit > 0 ? settings.recordLimit
                                                                : counts.levelSize(L));
    }
    plan.threads = settings.threads > 0 ? settings.threads : availableProcessors();
    plan.termSetRows = settings.termSetRows > 0 ? settings.termSetRows : termSetRowsFor(counts);
    plan.termSets = plan.threads;
    plan.levelBytes = GeneratorTables::blockBytes(plan.levelCapacities);
    plan.termSetBytes = TermSet::bytesFor(plan.termSetRows, t) * plan.termSets;
    return plan;
}

namespace {

// Appends the basis of level L to its table; false if it does not fit.
bool buildLevel(GeneratorTables& tables, std::int32_t t, int L) {
    return enumerateLevel(t, L, [&](const Entry* word) { return tables.append(L, word); });
}

// buildLevel on `threads` threads. The level is cut into parts by cell index
// and first lambda index, each a run of records whose place the counting
// table gives; consecutive parts are grouped into a few dozen runs of about
// equal size, so that each thread writes long stretches of its own, and the
// threads enumerate run after run.
bool buildLevelInParallel(GeneratorTables& tables, const BasisCounts& counts, std::int32_t t, int L,
                          int threads) {
    const std::int64_t size = counts.levelSize(L);
    if (threads == 1 || L == 0 || size < 8192 || size > tables.capacity(L)) {
        return buildLevel(tables, t, L);
    }
    struct Part {
        int cell;
        int first;
    };
    struct Run {
        std::size_t firstPart;
        std::size_t endPart;
        std::int64_t start; // the record of its first word
    };
    const std::int64_t runSize = std::max<std::int64_t>(4096, size / (8 * threads));
    std::vector<Part> parts;
    std::vector<Run> runs;
    std::int64_t start = 0;
    for (int cell = t - 1 - L; cell >= 0; --cell) {
        for (int first = t - 1 - L - cell; first >= 0; --first) {
            const std::int64_t partSize = counts.partSize(L, cell, first);
            if (partSize == 0) {
                continue;
            }
            if (runs.empty() || start - runs.back().start >= runSize) {
                runs.push_back(Run{parts.size(), parts.size(), start});
            }
            parts.push_back(Part{cell, first});
            runs.back().endPart = parts.size();
            start += partSize;
        }
    }
    const LevelTable level = tables.table(L);
    std::atomic<std::size_t> nextRun{0};
    const auto work = [&] {
        for (std::size_t r = nextRun.fetch_add(1, std::memory_order_relaxed); r < runs.size();
             r = nextRun.fetch_add(1, std::memory_order_relaxed)) {
            Entry* word = level.word(runs[r].start);
            GeneratorState* state = &level.state(runs[r].start);
            for (std::size_t p = runs[r].firstPart; p < runs[r].endPart; ++p) {
                enumerateLevelPart(t, L, parts[p].cell, parts[p].first, [&](const Entry* made) {
                    copyMonomial(word, made, L + 1);
                    word += L + 1;
                    *state++ = Alive;
                    return true;
                });
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        try {
            for (int i = 1; i < threads; ++i) {
                helpers.emplace_back(work);
            }
        } catch (const std::system_error&) {
            // Fewer threads: those that started share the parts.
        }
        work();
    }
    tables.levelCount(L) = size;
    return true;
}

ComputationResult failure(Outcome outcome, int level = -1, std::int64_t limit = 0) {
    ComputationResult result;
    result.outcome = outcome;
    result.level = level;
    result.limit = limit;
    return result;
}

} // namespace

int threadsThatFit(const StoragePlan& plan, std::uint64_t obtainable) {
    const std::uint64_t perSet =
        plan.termSetBytes / static_cast<std::uint64_t>(std::max(plan.termSets, 1));
    const std::uint64_t room = obtainable > plan.levelBytes ? obtainable - plan.levelBytes : 0;
    const std::uint64_t fit =
        perSet == 0 ? static_cast<std::uint64_t>(plan.threads) : room / perSet;
    return static_cast<int>(
        std::clamp<std::uint64_t>(fit, 1, static_cast<std::uint64_t>(plan.threads)));
}

namespace {

// The plan for these settings, with fewer threads if the storage of one
// term set per processor cannot be obtained but that of fewer can (only
// when the number of threads is the program's to choose). Sets `check` to
// Finished if the plan fits, or to the shortfall of a single thread.
StoragePlan fittingPlan(const BasisCounts& counts, const ComputationSettings& settings,
                        ComputationResult& check) {
    StoragePlan plan = planStorage(counts, settings);
    check = ComputationResult{};
    if (!settings.checkMemory) {
        return plan;
    }
    const ObtainableMemory obtainable = obtainableMemory();
    if (plan.totalBytes() > obtainable.bytes && settings.threads == 0 && plan.threads > 1) {
        ComputationSettings fewer = settings;
        fewer.threads = threadsThatFit(plan, obtainable.bytes);
        plan = planStorage(counts, fewer);
    }
    if (plan.totalBytes() > obtainable.bytes) {
        check = failure(Outcome::MemoryShortfall);
        check.bytesNeeded = plan.totalBytes();
        check.obtainable = obtainable;
    }
    return plan;
}

} // namespace

ComputationResult checkStorage(std::int32_t t, const ComputationSettings& settings) {
    ComputationResult check;
    fittingPlan(BasisCounts(t), settings, check);
    return check;
}

ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel) {
    const BasisCounts counts(t);
    ComputationResult check;
    const StoragePlan plan = fittingPlan(counts, settings, check);
    if (check.outcome != Outcome::Finished) {
        return check;
    }
    GeneratorTables tables;
    if (!tables.allocate(plan.levelCapacities)) {
        ComputationResult result = failure(Outcome::LevelStorageFailed);
        result.error = errno;
        return result;
    }
    std::vector<TermSet> sets(static_cast<std::size_t>(plan.termSets));
    for (TermSet& set : sets) {
        if (!set.allocate(plan.termSetRows, t)) {
            return failure(Outcome::WorkStorageFailed);
        }
    }

    buildLevel(tables, t, 0); // the single generator (t - 1), the top cell
    for (int k = 0; k + 1 < t; ++k) {
        if (!buildLevelInParallel(tables, counts, t, k + 1, plan.threads)) {
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
        // Small levels are not worth handing round.
        const EliminationStatus status =
            sets.size() == 1 || current.count < 4 * 256
                ? eliminateLevel(current, tables.table(k + 1), w, sets[0], progress)
                : eliminateLevelInParallel(current, tables.table(k + 1), w, sets, progress);
        switch (status) {
        case EliminationStatus::Ok:
            break;
        case EliminationStatus::TermSetFull:
            return failure(Outcome::TermSetFull, k, plan.termSetRows);
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
