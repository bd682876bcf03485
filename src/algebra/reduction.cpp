#include "algebra/reduction.hpp"

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
// could still break may break. Stops when term returns false.
template <typename Term>
bool forEachRewrittenTerm(const Entry* a, int j, std::uint32_t hash, PairRange pairs, Term&& term) {
    const int x = a[j];
    const int y = a[j + 1];
    const PairRange termPairs{static_cast<std::uint8_t>(j > 1 ? j - 1 : 1),
                              static_cast<std::uint8_t>(pairs.last > j + 1 ? pairs.last : j + 1)};
    const int d = y - 2 * x - 2;
    // Every term agrees with the row outside entries j and j + 1.
    const std::uint32_t base = hash - entryHash(j, x) - entryHash(j + 1, y);
    for (int m = 0; 2 * m <= d; ++m) {
        if (binomialIsOdd(d - m, m)) {
            const int left = y - x - 1 - m;
            const int right = 2 * x + 1 + m;
            if (!term(left, right, base + entryHash(j, left) + entryHash(j + 1, right),
                      termPairs)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

namespace {

// Rows known to be admissible and the rows still to look at. Rows before
// `checked` were admissible when last looked at; since then only a
// cancellation can have changed one, by moving the last row into its place,
// and such places are kept on a short stack. When the stack is full, checked
// drops to the place instead, and the rows from there on are looked at again.
class Unchecked {
public:
    explicit Unchecked(const TermSet& set) : set_(set) {}

    // The next row with an inadmissible pair and that pair, or false when
    // every row is admissible.
    bool next(std::int32_t& row, int& pair) {
        const int length = set_.rowLength();
        while (count_ > 0) {
            const std::int32_t r = places_[--count_];
            if (r < checked_ && r < set_.rowCount()) {
                pair = firstInadmissiblePair(set_.row(r), set_.rowPairs(r), length);
                if (pair != 0) {
                    row = r;
                    return true;
                }
            }
        }
        for (; checked_ < set_.rowCount(); ++checked_) {
            pair = firstInadmissiblePair(set_.row(checked_), set_.rowPairs(checked_), length);
            if (pair != 0) {
                row = checked_;
                return true;
            }
        }
        return false;
    }

    // Row r now holds another row, or a new one.
    void changed(std::int32_t r) {
        if (r >= checked_) {
            return;
        }
        if (count_ == capacity) {
            checked_ = r < checked_ ? r : checked_;
            return;
        }
        places_[count_++] = r;
    }

private:
    static constexpr int capacity = 64;
    const TermSet& set_;
    std::int32_t checked_ = 0;
    std::int32_t places_[capacity];
    int count_ = 0;
};

} // namespace

bool reduceToAdmissible(TermSet& set) {
    const int length = set.rowLength();
    if (length <= 2) {
        return true;
    }
    Entry* scratch = set.scratch();
    Unchecked unchecked(set);
    std::int32_t i = 0;
    int j = 0;
    while (unchecked.next(i, j)) {
        copyMonomial(scratch, set.row(i), length);
        // Where the rewritten row is: a cancellation moves the last row into
        // the cancelled one's place, and the rewritten row may be that last
        // one. No term equals the rewritten row itself.
        std::int32_t rewritten = i;
        const bool room = forEachRewrittenTerm(
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
                unchecked.changed(changed);
                return true;
            });
        if (!room) {
            return false;
        }
        // Removing the rewritten row is what toggling it once more would do.
        set.removeRow(rewritten);
        unchecked.changed(rewritten);
    }
    return true;
}

bool toggleReduced(TermSet& set, const Entry* term, std::uint32_t hash, PairRange pairs) {
    const int length = set.rowLength();
    const int j = length > 2 ? firstInadmissiblePair(term, pairs, length) : 0;
    if (j == 0) {
        return set.toggleHashed(term, hash, noPair) >= 0;
    }
    Entry rewritten[maxMonomialLength];
    copyMonomial(rewritten, term, length);
    return forEachRewrittenTerm(
        term, j, hash, pairs,
        [&](int left, int right, std::uint32_t termHash, PairRange termPairs) {
            rewritten[j] = static_cast<Entry>(left);
            rewritten[j + 1] = static_cast<Entry>(right);
            return toggleReduced(set, rewritten, termHash, termPairs);
        });
}

} // namespace curtis
