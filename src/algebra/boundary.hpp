#pragma once

#include "algebra/run_sum.hpp"
#include "algebra/term_set.hpp"

#include <cstdint>

namespace curtis {

// Toggles the boundary of x, a monomial of level k (k + 1 entries), into the
// set, whose rows have k + 2 entries. Position by position, entry n = x[p]
// is replaced by the pair (n - j, j - 1) for every j with C(n - j, j) odd:
// j = 1 .. n + w at the cell index (never going below the bottom cell -w;
// n - j may be negative, with the generalised coefficient), j = 1 .. n / 2 at
// a lambda index. x[0] is stored as the offset n + w, so the cell position
// has x[0] terms to try; the parity test takes the true cell n. The set's
// work row is overwritten. Returns false if a term found no room in the set;
// the set is then left part way.
bool appendBoundary(const Entry* x, int k, std::int32_t w, TermSet& set);

// appendBoundary with each term reduced to admissible form as it comes
// (toggleReduced): a set of admissible rows stays admissible, and ends as
// appendBoundary followed by reduceToAdmissible would leave it.
bool appendReducedBoundary(const Entry* x, int k, std::int32_t w, TermSet& set);

// appendReducedBoundary, leaving out the terms below floor (k + 2 entries):
// the part of the sum at or above the floor.
bool appendReducedBoundaryAbove(const Entry* x, int k, std::int32_t w, TermSet& set,
                                const Entry* floor);

// The terms of appendReducedBoundary that split the first lambda index x[1]
// (k >= 1) alone: for x = λ_n λ_J, the reduced form of d(λ_n) λ_J.
bool appendReducedFirstSplit(const Entry* x, int k, std::int32_t w, TermSet& set);

// appendReducedBoundary and appendReducedFirstSplit into a sum kept in
// sorted runs.
bool appendReducedBoundary(const Entry* x, int k, std::int32_t w, RunSum& sum);
bool appendReducedFirstSplit(const Entry* x, int k, std::int32_t w, RunSum& sum);
bool appendReducedBoundaryAbove(const Entry* x, int k, std::int32_t w, RunSum& sum,
                                const Entry* floor);

} // namespace curtis
