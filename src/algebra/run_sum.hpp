#pragma once

#include "algebra/buffer.hpp"
#include "algebra/monomial.hpp"

#include <array>
#include <cstdint>

namespace curtis {

// What RunSum::leading finds: the greatest term of the sum, null when the
// sum is 0; room is false when storage the sum needed could not be obtained
// (the sum is then left part way).
struct LeadingTerm {
    bool room = true;
    const Entry* term = nullptr;
};

// What RunSum::terms finds: the sum's terms, count of them, each once, in
// increasing order (rowLength entries each, one after another); room is
// false when storage the sum needed could not be obtained (the sum is then
// left part way).
struct SumTerms {
    bool room = true;
    const Entry* terms = nullptr;
    std::int64_t count = 0;
};

// A sum mod 2 of monomials of one common length, for a sum that changes by a
// few terms between each reading of its greatest term, most of them just
// below it: the chain sum of an elimination. No index is kept; the terms lie
// in sorted runs, and a term toggled in costs a few sequential copies.
//
// Terms toggled in wait in a pending run of at most pendingTerms, kept in
// increasing order: a term is put in its place, or cancels the equal one
// there. When the run is full, or the greatest term is asked for, it is
// merged into level 0. Level i is a run of distinct terms in increasing
// order, the greatest last, of at most levelLimit(i) terms, 4 times as many
// as the level below; a level that outgrows that is merged into level i + 1
// and emptied. A merge cancels equal terms in pairs. It works in the larger
// run's storage, from the greatest terms down, and stops where the smaller
// run ends (closing the gap cancelled pairs leave above it), so a run of
// terms close to the top costs little however large the level is.
//
// Terms in different levels may be equal: the sum is that of every level and
// the pending terms, mod 2. The greatest term is the greatest of the levels'
// last terms, once those equal to it have cancelled in pairs; cancelled
// ones are dropped from their levels then and there. The greatest term read
// is most often toggled out again before the next reading: the pending run's
// greatest term, if equal to it, cancels it at the top of its level.
//
// The storage of each level grows as it needs and is kept when the sum is
// cleared, so one sum serves candidate after candidate. Sums used by
// different threads side by side never share a cache line.
class alignas(64) RunSum {
public:
    // Terms that wait, in their pending run, before they are merged.
    static constexpr int pendingTerms = 256;
    // Levels enough for any sum.
    static constexpr int maxLevels = 28;

    RunSum() = default;
    RunSum(const RunSum&) = delete;
    RunSum& operator=(const RunSum&) = delete;
    RunSum(RunSum&&) = default;
    RunSum& operator=(RunSum&&) = default;

    // Empties the sum and makes its terms rowLength entries long (at most
    // maxMonomialLength).
    void clear(int rowLength);
    int rowLength() const { return length_; }

    // Adds term (rowLength entries) to the sum mod 2. The term's buffer may
    // be reused right after the call. False, the sum left part way, when
    // storage it needed could not be obtained.
    bool toggle(const Entry* term);

    // Adds count distinct terms, in increasing order one after another, to
    // the sum mod 2: merged as one run into the first level that holds as
    // many, not sorted again. run must not lie in this sum's storage. False,
    // the sum left part way, when storage it needed could not be obtained.
    bool toggleRun(const Entry* run, std::int64_t count);

    // The greatest term of the sum, valid until the next toggle or clear.
    LeadingTerm leading();

    // Every term of the sum, once a chain is finished: the pending terms are
    // settled and every level is merged into the highest one, so the sum is
    // one run. Valid until the next toggle or clear; the sum is unchanged.
    SumTerms terms();

    // The terms stored: pending ones and those of every level, at least the
    // number of terms of the sum.
    std::int64_t storedTerms() const;
    // The bytes this sum's storage holds.
    std::uint64_t bytes() const;

    // A work row, where the boundary and the reduction assemble each term
    // before toggling it in.
    Entry* scratch() { return scratch_.data(); }

private:
    struct Level {
        Buffer<Entry> terms; // count terms, each length_ entries, increasing
        std::int64_t count = 0;
    };
    static std::int64_t levelLimit(int level);
    bool settle();
    bool carryFrom(int level);
    bool mergeInto(int level, const Entry* run, std::int64_t runCount);

    std::array<Level, maxLevels> levels_{};
    int levelsInUse_ = 0;
    Buffer<Entry> pending_; // pendingCount_ distinct terms, increasing
    int pendingCount_ = 0;
    // The level whose last term leading() last returned, while no level has
    // changed since; -1 if none.
    int leadingLevel_ = -1;
    std::array<Entry, maxMonomialLength> scratch_{};
    int length_ = 0;
};

} // namespace curtis
