#pragma once

#include "algebra/basis.hpp"
#include "elimination/generator_tables.hpp"
#include "elimination/memory_limit.hpp"

#include <cstdint>
#include <functional>
#include <vector>

namespace curtis {

// The largest total degree the computation takes. Level sizes stay below
// 2^31 up to here; from 57 on the largest level no longer does.
inline constexpr std::int32_t maxTotalDegree = 56;

// The largest weight in magnitude the computation takes. With |w| <= 10^9 and
// t <= 56, every cell index and coweight, and the values the parity test of
// a cell split forms from them, stay well inside 32-bit integers.
inline constexpr std::int32_t maxWeightMagnitude = 1000000000;

// How far the computation is: level k of total degree t is being
// eliminated, `done` of its `total` records are.
struct ComputationProgress {
    int k = 0;
    std::int32_t t = 0;
    std::int64_t done = 0;
    std::int64_t total = 0;
};

struct ComputationSettings {
    // Threads that eliminate a level; 0 takes every processor the process
    // may use (fewer if their term sets would not fit in memory). The chart
    // is the same for any number.
    int threads = 0;
    // Records per level; 0 sizes every level exactly from its basis count.
    std::int64_t recordLimit = 0;
    // Rows of the term set; 0 takes termSetRowsFor.
    std::int32_t termSetRows = 0;
    // Compare the storage needed with what the process can obtain before
    // allocating anything.
    bool checkMemory = true;
    // Called once a level has been enumerated, before anything reads it. The
    // test build uses it to inject faults; the program leaves it empty.
    std::function<void(GeneratorTables& tables, int level)> afterEnumeration;
    // Told how far the elimination is, often, from the thread that called
    // runComputation; how often to show it is the caller's choice.
    std::function<void(const ComputationProgress&)> onProgress;
};

// Everything the computation allocates, sized before it starts.
struct StoragePlan {
    int threads = 1;
    std::vector<std::int64_t> levelCapacities; // records per level
    std::int32_t termSetRows = 0;
    // One term set per thread.
    int termSets = 1;
    std::uint64_t levelBytes = 0;
    std::uint64_t termSetBytes = 0; // all of them

    std::uint64_t totalBytes() const { return levelBytes + termSetBytes; }
};

// Rows of the term set for a computation with these level sizes. A term set
// holds the boundary of one generator and of the tags retraced after it, and
// its rows after each reduction are distinct generators of the next level;
// in practice it stays tiny beside the levels. The rule, a sixty-fourth of
// the largest level and at least 1024 rows, lies far above every peak
// measured; a computation that outgrows it stops with a diagnostic.
std::int32_t termSetRowsFor(const BasisCounts& counts);

// The most threads, from 1 to plan.threads, whose term sets fit beside the
// levels into `obtainable` bytes; 1 if not even one fits.
int threadsThatFit(const StoragePlan& plan, std::uint64_t obtainable);

// The storage a computation in total degree t (1 <= t <= maxTotalDegree)
// needs with these settings.
StoragePlan planStorage(std::int32_t t, const ComputationSettings& settings);
StoragePlan planStorage(const BasisCounts& counts, const ComputationSettings& settings);

// One line of the chart: a surviving generator (source null), or a generator
// hit by the elimination of source, a word of the level below with another
// cell index.
struct ChartLine {
    const Entry* word;
    const Entry* source;
};

// A level whose states are final, as the computation hands it over.
struct FinishedLevel {
    int k = 0; // level index; homological degree k + 1
    std::int32_t t = 0;
    std::int32_t w = 0;
    LevelTable table;

    int homologicalDegree() const { return k + 1; }
    std::int32_t topologicalDegree() const { return t - k - 1; }
    // The sum of the printed entries of every word of the level.
    std::int32_t coweight() const { return t - w - 1 - k; }

    // Calls f(const ChartLine&) for every line of the level's chart, in
    // table order: Alive records survive; Hit records whose tag has another
    // cell index are arrows; the rest are not shown.
    template <typename F> void forEachLine(F&& f) const {
        for (std::int64_t i = 0; i < table.count; ++i) {
            const GeneratorState state = table.state(i);
            if (state == Alive) {
                f(ChartLine{table.word(i), nullptr});
            } else if (state == Hit && table.word(i)[0] != table.tag(i)[0]) {
                f(ChartLine{table.word(i), table.tag(i)});
            }
        }
    }
};

enum class Outcome {
    Finished,
    // The storage needed is more than the process can obtain; nothing was
    // allocated.
    MemoryShortfall,
    // The allocation of the level storage failed (error holds errno).
    LevelStorageFailed,
    // The allocation of the term set failed.
    WorkStorageFailed,
    // Level `level` has more generators than its table holds (`limit`).
    LevelOverflow,
    // A boundary while eliminating level `level` needed more rows than the
    // term set holds (`limit`).
    TermSetFull,
    // A leading term while eliminating level `level` is not a generator of
    // the next level.
    LeadingTermMissing,
    // The caller asked to stop after a level.
    Stopped,
};

struct ComputationResult {
    Outcome outcome = Outcome::Finished;
    int level = -1;
    std::int64_t limit = 0;
    std::uint64_t bytesNeeded = 0;
    ObtainableMemory obtainable;
    int error = 0;
};

// Whether the storage of a computation in total degree t with these
// settings can be obtained: Finished if so (or if settings.checkMemory is
// off), otherwise MemoryShortfall with the figures. When the number of
// threads is left to the computation and one term set per processor does
// not fit, it runs on as many threads as fit; the figures of a shortfall are
// those of a single thread.
ComputationResult checkStorage(std::int32_t t, const ComputationSettings& settings);

// Runs the whole computation for weight w and total degree t (within the
// limits above): sizes and allocates all storage, seeds level 0, and for
// every level k enumerates level k + 1, eliminates level k and hands level k
// to onLevel; the last level, t - 1, is handed over as the next level left
// it. onLevel returns false to stop the computation.
ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel);

} // namespace curtis
