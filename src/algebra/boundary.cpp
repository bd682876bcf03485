#include "algebra/boundary.hpp"

#include "algebra/reduction.hpp"

#include <type_traits>

namespace curtis {

namespace {

// The hash of entry value at position, for a set that keeps an index; a sum
// in sorted runs keeps none, and its terms' hashes are left 0.
template <typename Set> std::uint32_t entryHashFor(int position, int value) {
    if constexpr (std::is_same_v<Set, RunSum>) {
        return 0;
    } else {
        return entryHash(position, value);
    }
}

// Hands every term of the boundary of x that splits an entry at positions
// first .. last to add(term, hash, pairs), in the set's work row, until add
// returns false.
template <typename Set, typename Add>
bool forEachBoundaryTerm(const Entry* x, int k, std::int32_t w, Set& set, int first, int last,
                         Add&& add) {
    Entry* scratch = set.scratch();
    // A term of position p is x[0 .. p-1], the pair, then x[p+1 .. k] one place
    // further on. Its hash is the sum of the hashes of those three parts; the
    // outer two are carried from one position to the next.
    //
    // When x is admissible, only one pair of a term can break admissibility:
    // pair 1 (j - 1, x[1]) for the cell index, pair p + 1 (j - 1, x[p + 1])
    // for the lambda index at p, since n - j < n <= 2 x[p - 1] and
    // 2 (n - j) >= n >= 2j. It is checked here, while the term is at hand,
    // and the term carries the answer as its pair range: that pair if it
    // breaks admissibility, none if not.
    const bool admissibleSource = isAdmissible(x, k + 1);
    std::uint32_t before = 0;
    std::uint32_t after = 0;
    for (int q = 1; q <= k; ++q) {
        after += entryHashFor<Set>(q + 1, x[q]);
        scratch[q + 1] = x[q];
    }
    for (int p = 0; p <= k; ++p) {
        const int n = x[p];
        // The cell index splits down to the bottom cell, offset 0: the parity
        // is that of C(cell - j, j) for the true cell = n - w. A lambda index
        // splits into two parts with n - j >= j.
        const int top = p < first || p > last ? 0 : p == 0 ? n : n / 2;
        const std::int32_t trueValue = p == 0 ? n - w : n;
        const std::uint8_t pair = static_cast<std::uint8_t>(p + 1);
        // The index after the split one, which the pair's second entry is;
        // past the last entry nothing can follow.
        const int following = p < k ? x[p + 1] : 0;
        for (int j = 1; j <= top; ++j) {
            if (binomialIsOdd(trueValue - j, j)) {
                const PairRange pairs = !admissibleSource         ? anyPair
                                        : 2 * (j - 1) < following ? PairRange{pair, pair}
                                                                  : noPair;
                scratch[p] = static_cast<Entry>(n - j);
                scratch[p + 1] = static_cast<Entry>(j - 1);
                const std::uint32_t hash =
                    before + entryHashFor<Set>(p, n - j) + entryHashFor<Set>(p + 1, j - 1) + after;
                if (!add(scratch, hash, pairs)) {
                    return false;
                }
            }
        }
        // Move on to position p + 1: x[p] joins the part before, x[p + 1]
        // leaves the part after.
        scratch[p] = static_cast<Entry>(n);
        before += entryHashFor<Set>(p, n);
        if (p < k) {
            after -= entryHashFor<Set>(p + 2, x[p + 1]);
        }
    }
    return true;
}

// The reduced forms of the terms of the boundary of x that split an entry at
// positions first .. last, those at or above floor where there is one,
// toggled into sum.
template <typename Sum>
bool appendReduced(const Entry* x, int k, std::int32_t w, Sum& sum, int first, int last,
                   const Entry* floor) {
    return forEachBoundaryTerm(
        x, k, w, sum, first, last,
        [&sum, floor](const Entry* term, std::uint32_t hash, PairRange pairs) {
            return toggleReduced(sum, term, hash, pairs, floor);
        });
}

} // namespace

bool appendBoundary(const Entry* x, int k, std::int32_t w, TermSet& set) {
    return forEachBoundaryTerm(x, k, w, set, 0, k,
                               [&set](const Entry* term, std::uint32_t hash, PairRange pairs) {
                                   return set.toggleHashed(term, hash, pairs) >= 0;
                               });
}

bool appendReducedBoundary(const Entry* x, int k, std::int32_t w, TermSet& set) {
    return appendReduced(x, k, w, set, 0, k, nullptr);
}

bool appendReducedBoundaryAbove(const Entry* x, int k, std::int32_t w, TermSet& set,
                                const Entry* floor) {
    return appendReduced(x, k, w, set, 0, k, floor);
}

bool appendReducedFirstSplit(const Entry* x, int k, std::int32_t w, TermSet& set) {
    return appendReduced(x, k, w, set, 1, 1, nullptr);
}

bool appendReducedBoundary(const Entry* x, int k, std::int32_t w, RunSum& sum) {
    return appendReduced(x, k, w, sum, 0, k, nullptr);
}

bool appendReducedBoundaryAbove(const Entry* x, int k, std::int32_t w, RunSum& sum,
                                const Entry* floor) {
    return appendReduced(x, k, w, sum, 0, k, floor);
}

bool appendReducedFirstSplit(const Entry* x, int k, std::int32_t w, RunSum& sum) {
    return appendReduced(x, k, w, sum, 1, 1, nullptr);
}

} // namespace curtis
