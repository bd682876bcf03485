#pragma once

#include "algebra/basis.hpp"
#include "algebra/term_set.hpp"
#include "system/memory_limit.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace curtis {

// The settings of a computation that its storage depends on. The plan is a
// function of these alone: what the machine allows (processors, memory) is
// found out by the front ends (system/) and passed in here.
struct StorageSettings {
    // Threads that eliminate a level; 0 takes every processor the process
    // may use (fewer if their term sets would not fit in memory). The chart
    // is the same for any number.
    int threads = 0;
    // The processors the process may use; at least one is.
    int processors = 1;
    // Records per level; 0 sizes every level exactly from its basis count.
    std::int64_t recordLimit = 0;
    // The most rows a term set may grow to; 0 for no limit but memory.
    std::int32_t termSetRows = 0;
    // Compare the storage needed with what the process can obtain before
    // allocating anything.
    bool checkMemory = true;
    // Keep the final records of every level (for products), not only of
    // two adjacent ones.
    bool keepLevels = false;
    // What the process can obtain; when not given, nothing limits it.
    std::optional<ObtainableMemory> obtainable;
};

// A term set may grow to this many rows when nothing else limits it: rows
// are counted in 32 bits, and its index has twice as many slots.
inline constexpr std::int32_t unlimitedTermSetRows = TermSet::maxRowLimit;

// Everything the computation allocates, sized before it starts.
struct StoragePlan {
    int threads = 1;
    std::vector<std::int64_t> levelCapacities; // records per level
    // The most rows a term set may grow to, and the rows counted for it in
    // advance.
    std::int32_t termSetRows = 0;
    std::int32_t termSetHeadroomRows = 0;
    // One term set per thread.
    int termSets = 1;
    std::uint64_t levelBytes = 0;
    std::uint64_t termSetBytes = 0; // all of them, at their headroom

    std::uint64_t totalBytes() const { return levelBytes + termSetBytes; }
};

// The rows counted in advance for each term set. A term set holds the
// boundary of one generator and of the tags retraced after it, and its rows
// after each reduction are distinct generators of the next level; it grows
// as it needs to, and in practice stays tiny beside the levels. The rule, a
// 512th of the largest level counted and at least 16384 rows (at most the
// most a set can hold), lies far above every peak measured.
std::int32_t termSetHeadroomRows(const BasisCounts& counts);

// The storage a computation in total degree t (1 <= t <= maxTotalDegree)
// needs with these settings; with counts, the storage of the levels they
// count.
StoragePlan planStorage(std::int32_t t, const StorageSettings& settings);
StoragePlan planStorage(const BasisCounts& counts, const StorageSettings& settings);

// The most threads, from 1 to plan.threads, whose term sets fit beside the
// levels into `obtainable` bytes; 1 if not even one fits.
int threadsThatFit(const StoragePlan& plan, std::uint64_t obtainable);

// The plan for these settings, with fewer threads if the storage of one
// term set per processor cannot be obtained but that of fewer can (only
// when the number of threads is the program's to choose). When even one
// thread's storage cannot be obtained, shortfall holds what the plan of one
// thread needs and what can be obtained.
struct StorageShortfall {
    std::uint64_t bytesNeeded = 0;
    ObtainableMemory obtainable;
};
StoragePlan fittingPlan(const BasisCounts& counts, const StorageSettings& settings,
                        std::optional<StorageShortfall>& shortfall);

} // namespace curtis
