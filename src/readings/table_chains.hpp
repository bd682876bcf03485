#pragma once

#include "algebra/run_sum.hpp"
#include "algebra/term_set.hpp"
#include "table/curtis_table.hpp"
#include "table/retrace_guard.hpp"

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace curtis {

// How a chain built through a table came out.
enum class ChainStatus {
    Ok,
    TermSetFull,   // a term set could not grow
    Contradiction, // a leading term that neither survives nor is Hit
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
    TableChains();
    bool ready() const { return ready_; }

    // Adds the cycle of the survivor `word` (level k of degree t of table)
    // to set (rows of level k); with `floor`, only its words at or above it.
    // The cycles of the table's survivors are kept for the run.
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

    // Bytes of cycles past which those kept are forgotten.
    static constexpr std::size_t cycleByteBound = std::size_t{1} << 27;

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

    // The survivors' cycles built so far (their words, in the order they
    // were built), by table, t, k and record, and the bytes they hold.
    std::map<std::tuple<const CurtisTable*, std::int32_t, int, std::int32_t>, std::vector<Entry>>
        cycles_;
    std::size_t cycleBytes_ = 0;
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
