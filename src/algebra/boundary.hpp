#pragma once

#include "algebra/term_set.hpp"

#include <cstdint>

namespace curtis {

// Toggles the boundary of x, a monomial of level k (k + 1 entries), into the
// set, whose rows have k + 2 entries. Position by position, entry n = x[p]
// is replaced by the pair (n - j, j - 1) for every j with C(n - j, j) odd:
// j = 1 .. n + w at the cell index (never going below cell -w; n - j may be
// negative, with the generalised coefficient), j = 1 .. n / 2 at a lambda
// index. scratch (k + 2 entries) is the work row.
// Returns false if a term found no room in the set; the set is then left part
// way.
bool appendBoundary(const std::int32_t* x, int k, std::int32_t w, TermSet& set,
                    std::int32_t* scratch);

} // namespace curtis
