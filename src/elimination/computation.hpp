#pragma once

#include "algebra/term_set.hpp"
#include "elimination/finished_level.hpp"
#include "elimination/generator_tables.hpp"
#include "elimination/storage_plan.hpp"
#include "system/memory_limit.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace curtis {

// The largest total degree the computation takes. A level's records count
// its generators in 32 bits: the largest level of t = 58 has 3164985492
// generators, that of t = 59 has 4702955551, more than a record can tag.
inline constexpr std::int32_t maxTotalDegree = 58;
// The words of level t - 1 have t entries, and every entry lies below t:
// work rows and the table of entry hashes hold them.
static_assert(maxTotalDegree <= maxMonomialLength);
static_assert(maxTotalDegree <= hashedEntryValues);

// The band of low Adams filtrations 0 .. F (levels 0 .. F) reaches further:
// its words have at most F + 2 entries, and its entries are bytes, so t is at
// most maxBandDegree; and F + 3 entries (the band of the transfer's sphere)
// fit a work row.
inline constexpr std::int32_t maxBandDegree = maxEntryDegree;
inline constexpr int maxFiltrationBound = maxMonomialLength - 3;
static_assert(maxBandDegree < hashedEntryValues + 1);

// The largest t whose levels 0 .. F + 1 all fit 32-bit records, for the
// infinite spaces P_a (a finite space reaches at least as far); 58, the
// whole computation's bound, from F = 16 on. Checked against the counts by
// the tests.
int bandReach(int F);

// The largest weight in magnitude the computation takes. With |w| <= 10^9 and
// t <= maxTotalDegree, every cell index and coweight, and the values the
// parity test of a cell split forms from them, stay well inside 32-bit
// integers.
inline constexpr std::int32_t maxWeightMagnitude = 1000000000;

// How far the computation is: level k of total degree t is being
// eliminated, `done` of its `total` records are.
struct ComputationProgress {
    int k = 0;
    std::int32_t t = 0;
    std::int64_t done = 0;
    std::int64_t total = 0;
};

struct ComputationSettings : StorageSettings {
    // Only the Adams filtrations 0 .. maxFiltration: levels 0 .. F are
    // eliminated and handed over, with level F + 1 as the home of their
    // leading terms, which is opened but not eliminated; no level above it
    // is counted, sized or opened. Eliminating level k reads only the marks
    // level k - 1 left and the records of level k + 1, so the levels handed
    // over are exactly those of the whole computation. None: every level.
    std::optional<int> maxFiltration;
    // The top cell of the space: the complex of P_{-w}^{topCell}, spanned by
    // the monomials whose cell index lies from -w to topCell (at least -w).
    // The boundary never raises the cell index, so it is a subcomplex of that
    // of P_{-w}, and the same elimination computes its table. Without a top
    // cell the space is P_{-w}, infinite.
    std::optional<std::int32_t> topCell;
    // Called once a level's records are open, before anything reads them.
    // The test build uses it to inject faults; the program leaves it empty.
    std::function<void(GeneratorTables& tables, int level)> afterEnumeration;
    // Told how far the elimination is, often, from the thread that called
    // runComputation; how often to show it is the caller's choice.
    std::function<void(const ComputationProgress&)> onProgress;
    // With keepLevels: handed the whole degree once every level is finished.
    std::function<void(FinishedDegree&&)> onDegree;
    // Told after level k has been handed over (and before level k + 2 is
    // opened), with the records of level k + 1: what a later run needs to
    // resume there (see resumeFrom). Not called for the last level, nor with
    // keepLevels.
    std::function<void(int k, const LevelTable& next)> onLevelBoundary;
    // Resume a degree at level `level` from its records as onLevelBoundary
    // saw them: the levels below were handed over by an earlier run, and
    // this one goes on from there. Not with keepLevels.
    struct ResumePoint {
        int level = 0;
        // Writes the saved records of `level` (as many as given) into the
        // tables; false if they cannot be had or fail their checks.
        std::function<bool(Record* records, std::int64_t count)> fill;
    };
    const ResumePoint* resumeFrom = nullptr;
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
    // The records to resume from do not belong to the degree.
    ResumeMismatch,
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
ComputationResult checkStorage(std::int32_t t, std::int32_t w, const ComputationSettings& settings);

// The same for every total degree from first to last kept at once (with
// settings.keepLevels, as products need them): the records of every level
// of every degree, and the term sets of one degree, besides `alsoKept`
// bytes held all the while (the kept levels of another space).
ComputationResult checkStorageOfRange(std::int32_t first, std::int32_t last, std::int32_t w,
                                      const ComputationSettings& settings,
                                      std::uint64_t alsoKept = 0);

// The bytes of the records of every level of every total degree from first
// to last, kept at once.
std::uint64_t keptLevelBytes(std::int32_t first, std::int32_t last, std::int32_t w,
                             const ComputationSettings& settings);

// The basis of every level of total degree t for weight w, the top cell and
// the band of the settings: levels 0 .. min(F + 1, t - 1).
BasisPositions basisFor(std::int32_t t, std::int32_t w, const ComputationSettings& settings);

// The levels of total degree t whose states are final under the settings,
// 0 .. finalLevels - 1: min(F + 1, t).
int finalLevels(std::int32_t t, const ComputationSettings& settings);

// Runs the whole computation for weight w and total degree t (within the
// limits above; a top cell, if any, at least -w): sizes and allocates all
// storage, opens level 0 (empty when its single word, the cell t - 1 - w,
// lies above the top cell), and for
// every level k opens level k + 1, eliminates level k and hands level k to
// onLevel; the last level, t - 1, is handed over as the next level left it.
// With a band only its levels are opened, eliminated and handed over.
// onLevel returns false to stop the computation. An exception from onLevel
// or from the progress callback ends the computation, once every thread has
// stopped, and reaches the caller.
ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel);

} // namespace curtis
