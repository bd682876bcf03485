#pragma once

#include "algebra/run_sum.hpp"
#include "algebra/term_set.hpp"
#include "table/curtis_table.hpp"
#include "table/retrace_guard.hpp"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

namespace curtis {

// How a chain built through a table came out.
enum class ChainStatus {
    Ok,
    TermSetFull,   // a term set could not grow
    Contradiction, // a leading term that neither survives nor is Hit
};

// The cycles of the tables' survivors built so far, each once: shared by
// the chain algebras a reading runs on its threads, and safe to use from
// several at once. Two threads that ask for a cycle not yet kept at the same
// time both build it; the first kept stays. Past a bound in bytes the
// cycles kept are forgotten; a cycle handed out lives while it is held.
class SurvivorCycles {
public:
    using Key = std::tuple<const CurtisTable*, std::int32_t, int, std::int32_t>;
    using Words = std::shared_ptr<const std::vector<Entry>>;

    // The words of the cycle kept for key, null where none is.
    Words find(const Key& key) const;
    // Keeps words for key, unless a cycle is kept for it already; the one
    // kept.
    Words keep(const Key& key, std::vector<Entry> words);

    // Bytes of cycles past which those kept are forgotten.
    static constexpr std::size_t byteBound = std::size_t{1} << 27;

private:
    mutable std::mutex mutex_;
    std::map<Key, Words> cycles_;
    std::size_t bytes_ = 0;
};

// The chains a Curtis table defines, rebuilt from its records: the cycle of
// a survivor and the boundary that claims a Hit word.
//
// The elimination of a generator x of level k holds x's chain C (x and the
// tags it retraced) and the reduced boundary d(C); while the leading term of
// d(C) is Hit it adds that term's tag to C. Every tag is a smaller word than
// x, and a Hit word stays Hit, so running that elimination again against the
// final records retraces the same tags: for a survivor it ends with d(C) = 0,
// and C is x's cycle; for the tag of a Hit word w it ends when the leading
// term of d(C) is w, and d(C) is the boundary that claims w, w its leading
// term. Every term of either lies at or below the word it is built for.
class TableChains {
public:
    // Ready unless the set its cycles are built in could not be allocated.
    // The survivors' cycles are kept in `cycles`, or in a keeper of its own.
    explicit TableChains(std::shared_ptr<SurvivorCycles> cycles = nullptr);
    bool ready() const { return ready_; }
    // Where the survivors' cycles it builds are kept.
    const std::shared_ptr<SurvivorCycles>& cycles() const { return cycles_; }

    // Adds the cycle of the survivor `word` (level k of degree t of table)
    // to set (rows of level k); with `floor`, only its words at or above it.
    // The cycles of the table's survivors are kept (see SurvivorCycles).
    ChainStatus addCycle(const CurtisTable& table, std::int32_t t, int k, const Entry* word,
                         TermSet& set, const Entry* floor = nullptr);
    ChainStatus addCycle(const CurtisTable& table, std::int32_t t, int k, const Entry* word,
                         RunSum& sum, const Entry* floor = nullptr);
    // Adds to set (rows of level k + 1) the boundary whose leading term is
    // `claimed` of level k + 1, Hit by `tag` of level k; with `floor`, only
    // its words at or above it. With `chain`, the chain (rows of level k)
    // whose boundary that is is added to it.
    ChainStatus addClaimingBoundary(const CurtisTable& table, std::int32_t t, int k,
                                    const Entry* tag, const Entry* claimed, TermSet& set,
                                    TermSet* chain = nullptr, const Entry* floor = nullptr);
    ChainStatus addClaimingBoundary(const CurtisTable& table, std::int32_t t, int k,
                                    const Entry* tag, const Entry* claimed, RunSum& sum,
                                    const Entry* floor = nullptr);

private:
    template <typename Sum>
    ChainStatus addCycleTo(const CurtisTable& table, std::int32_t t, int k, const Entry* word,
                           Sum& sum, const Entry* floor);
    ChainStatus buildCycle(const CurtisTable& table, std::int32_t t, int k, const Entry* word,
                           TermSet& set);
    // Replays the elimination of `tag` until its leading term is `claimed`,
    // leaving the boundary that claims it (with `floor`, its words at or
    // above it) in work_.
    ChainStatus replayClaim(const CurtisTable& table, std::int32_t t, int k, const Entry* tag,
                            const Entry* claimed, TermSet* chain, const Entry* floor);
    // Adds the terms of work_ to sum.
    template <typename Sum> ChainStatus addWork(Sum& sum);

    std::shared_ptr<SurvivorCycles> cycles_;
    TermSet cycle_;      // a cycle being built
    RunSum work_;        // the reduced boundary being rebuilt
    RetraceGuard guard_; // of the reduction in work_
    bool ready_ = false;
};

// Adds every row of from to to (both of one row length, admissible rows),
// or with `floor` those at or above it; false when to cannot hold them.
bool addRows(const TermSet& from, TermSet& to, const Entry* floor = nullptr);
bool addRows(const TermSet& from, RunSum& to, const Entry* floor = nullptr);

} // namespace curtis
