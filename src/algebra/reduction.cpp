#include "algebra/reduction.hpp"

#include <type_traits>

namespace curtis {

namespace {

// The first pair j in the row's range with 2 * a[j] < a[j + 1], or 0 if there
// is none.
int firstInadmissiblePair(const Entry* a, PairRange pairs, int length) {
    const int last = pairs.last < length - 2 ? pairs.last : length - 2;
    for (int j = pairs.first; j <= last; ++j) {
        if (2 * a[j] < a[j + 1]) {
            return j;
        }
    }
    return 0;
}

// The terms that row a (with its hash and the range of its pairs that may
// break admissibility) is rewritten into at its inadmissible pair j,
// (x, y) = (a[j], a[j + 1]): term(left, right, hash, pairs) for each, where
// left and right replace x and y, hash is the term's and pairs the range it
// carries: a term changes entries j and j + 1 only, so pair j - 1 may break,
// pair j holds again (y >= 2x + 1), and pair j + 1 and the pairs the row
// could still break may break. Stops when term returns false. Unless hashed,
// the hashes are left 0.
template <bool hashed, typename Term>
bool forEachRewrittenTerm(const Entry* a, int j, std::uint32_t hash, PairRange pairs, Term&& term) {
    const int x = a[j];
    const int y = a[j + 1];
    const PairRange termPairs{static_cast<std::uint8_t>(j > 1 ? j - 1 : 1),
                              static_cast<std::uint8_t>(pairs.last > j + 1 ? pairs.last : j + 1)};
    const int d = y - 2 * x - 2;
    // Every term agrees with the row outside entries j and j + 1.
    const std::uint32_t base = hashed ? hash - entryHash(j, x) - entryHash(j + 1, y) : 0;
    for (int m = 0; 2 * m <= d; ++m) {
        if (binomialIsOdd(d - m, m)) {
            const int left = y - x - 1 - m;
            const int right = 2 * x + 1 + m;
            const std::uint32_t termHash =
                hashed ? base + entryHash(j, left) + entryHash(j + 1, right) : 0;
            if (!term(left, right, termHash, termPairs)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool reduceToAdmissible(TermSet& set) {
    const int length = set.rowLength();
    if (length <= 2) {
        return true;
    }
    Entry* scratch = set.scratch();
    // Rows before `checked` are known to be admissible: a row is looked at
    // again only when another row has been moved into its place, so the scan
    // finds the same first inadmissible pair as a scan from row 0 would.
    std::int32_t checked = 0;
    for (;;) {
        std::int32_t i = checked;
        int j = 0;
        for (; i < set.rowCount(); ++i) {
            j = firstInadmissiblePair(set.row(i), set.rowPairs(i), length);
            if (j != 0) {
                break;
            }
        }
        checked = i;
        if (i == set.rowCount()) {
            return true;
        }
        copyMonomial(scratch, set.row(i), length);
        // Where the rewritten row is: a cancellation moves the last row into
        // the cancelled one's place, and the rewritten row may be that last
        // one. No term equals the rewritten row itself.
        std::int32_t rewritten = i;
        const bool room = forEachRewrittenTerm<true>(
            scratch, j, set.rowHash(i), set.rowPairs(i),
            [&](int left, int right, std::uint32_t hash, PairRange pairs) {
                scratch[j] = static_cast<Entry>(left);
                scratch[j + 1] = static_cast<Entry>(right);
                const std::int32_t last = set.rowCount() - 1;
                const std::int32_t changed = set.toggleHashed(scratch, hash, pairs);
                if (changed < 0) {
                    return false;
                }
                if (set.rowCount() == last && rewritten == last) {
                    rewritten = changed; // cancelled: the last row moved into its place
                }
                checked = changed < checked ? changed : checked;
                return true;
            });
        if (!room) {
            return false;
        }
        // Removing the rewritten row is what toggling it once more would do.
        set.removeRow(rewritten);
        checked = rewritten < checked ? rewritten : checked;
    }
}

namespace {

// Adds an admissible term to the set mod 2; false if it found no room.
bool toggleAdmissible(TermSet& set, const Entry* term, std::uint32_t hash) {
    return set.toggleHashed(term, hash, noPair) >= 0;
}
bool toggleAdmissible(RunSum& sum, const Entry* term, std::uint32_t) {
    return sum.toggle(term);
}

// Adds the admissible form of term, admissible or not, to the sum below the
// floor. An inadmissible term is rewritten in place, each rewritten term
// added the same way; term is left as it was found.
template <typename Sum>
bool toggleReducedInPlace(Sum& sum, Entry* term, std::uint32_t hash, PairRange pairs,
                          const Entry* floor) {
    const int length = sum.rowLength();
    const int j = length > 2 ? firstInadmissiblePair(term, pairs, length) : 0;
    if (j == 0) {
        if (floor != nullptr && compareMonomials(term, floor, length) < 0) {
            return true; // below the floor: left out
        }
        return toggleAdmissible(sum, term, hash);
    }
    const Entry x = term[j];
    const Entry y = term[j + 1];
    const bool room = forEachRewrittenTerm<!std::is_same_v<Sum, RunSum>>(
        term, j, hash, pairs,
        [&](int left, int right, std::uint32_t termHash, PairRange termPairs) {
            term[j] = static_cast<Entry>(left);
            term[j + 1] = static_cast<Entry>(right);
            return toggleReducedInPlace(sum, term, termHash, termPairs, floor);
        });
    term[j] = x;
    term[j + 1] = y;
    return room;
}

template <typename Sum>
bool toggleReducedInto(Sum& sum, const Entry* term, std::uint32_t hash, PairRange pairs,
                       const Entry* floor) {
    const int length = sum.rowLength();
    if (length <= 2 || firstInadmissiblePair(term, pairs, length) == 0) {
        if (floor != nullptr && compareMonomials(term, floor, length) < 0) {
            return true; // below the floor: left out
        }
        return toggleAdmissible(sum, term, hash);
    }
    Entry rewritten[maxMonomialLength];
    copyMonomial(rewritten, term, length);
    return toggleReducedInPlace(sum, rewritten, hash, pairs, floor);
}

} // namespace

bool toggleReduced(TermSet& set, const Entry* term, std::uint32_t hash, PairRange pairs,
                   const Entry* floor) {
    return toggleReducedInto(set, term, hash, pairs, floor);
}

bool toggleReduced(RunSum& sum, const Entry* term, std::uint32_t hash, PairRange pairs,
                   const Entry* floor) {
    return toggleReducedInto(sum, term, hash, pairs, floor);
}

} // namespace curtis
