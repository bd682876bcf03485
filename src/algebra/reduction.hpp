#pragma once

#include "algebra/run_sum.hpp"
#include "algebra/term_set.hpp"

namespace curtis {

// Rewrites the set until every row is admissible, keeping the element of the
// Lambda algebra it stands for. Each step takes the first inadmissible pair
// (x, y) = (a[j], a[j + 1]), 2x < y, scanning rows from 0 and pairs from
// j = 1, and replaces the row by
//     sum over m >= 0, 2m <= y - 2x - 2, of C(y - 2x - 2 - m, m) *
//         (a with a[j] = y - x - 1 - m and a[j + 1] = 2x + 1 + m)   (mod 2),
// each term toggled in, then the row itself toggled out. The cell index and
// the sum of the lambda indices never change. The admissible monomials are a
// basis, so the set it ends with is the one toggleReduced builds term by
// term, whatever the order. The set's work row is overwritten. Returns false
// if a term found no room in the set; the set is then left part way.
bool reduceToAdmissible(TermSet& set);

// Adds the admissible form of term (set.rowLength() entries, with its hash,
// and the range of its pairs that may break admissibility) to the set mod 2:
// the term itself if it is admissible, otherwise the terms its first
// inadmissible pair is rewritten into, each added the same way. No
// inadmissible row enters the set, so a set of admissible rows stays
// admissible. term may be the set's work row. Returns false if a term found
// no room in the set; the set is then left part way. With a floor (a row
// of the set's length), the admissible terms below it are left out: a
// rewritten term is greater than the term it replaces, so the sum above the
// floor is the one toggleReduced builds without it.
bool toggleReduced(TermSet& set, const Entry* term, std::uint32_t hash, PairRange pairs,
                   const Entry* floor = nullptr);

// toggleReduced into a sum kept in sorted runs.
bool toggleReduced(RunSum& sum, const Entry* term, std::uint32_t hash, PairRange pairs,
                   const Entry* floor = nullptr);

} // namespace curtis
