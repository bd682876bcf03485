#pragma once

#include "algebra/monomial.hpp"
#include "oracle/basis.hpp"

#include <cstdint>

// The words of a level, known by their positions. In total degree t the basis
// of level L is the admissible words of L + 1 entries whose stored entries
// add up to t - 1 - L; in the chart's order (strictly decreasing, as
// enumerateLevel hands them over) they take the positions 0 to levelSize(L)
// - 1. The position of a word is the number of words of its level that are
// greater: for each entry, the words that agree with it before that entry and
// are greater at it, read from the counting tables. The word at a position
// is read back the same way, and neighbours are found by changing the word's
// last entries, so no level ever needs its words stored.

namespace curtis::oracle {

class BasisPositions {
public:
    // What positionOf returns for a word that is not a generator of the level.
    static constexpr std::int64_t notAGenerator = -1;

    // Positions for total degree t (1 <= t <= maxEntryDegree), of the words
    // whose cell offset is at most topCell, in the levels 0 to lastLevel
    // (default: all).
    explicit BasisPositions(int t, int topCell = noTopCell, int lastLevel = -1)
        : counts_(t, topCell, lastLevel) {}

    const BasisCounts& counts() const { return counts_; }
    int degree() const { return counts_.degree(); }
    int levels() const { return counts_.levels(); }
    std::int64_t levelSize(int L) const { return counts_.levelSize(L); }

    // The position of word (L + 1 stored entries) in level L, or
    // notAGenerator if the word is not admissible, its entries do not add up
    // to the level's sum or its cell lies above the top cell.
    std::int64_t positionOf(int L, const Entry* word) const;

    // Writes the word at position (0 <= position < levelSize(L)) of level L.
    void wordAt(int L, std::int64_t position, Entry* word) const;

    // The cell offset of the word at position of level L.
    int cellAt(int L, std::int64_t position) const;

    // The first lambda index of the word at position of level L (L >= 1).
    // Within a cell the words run from the largest first index down, so it
    // is read from the counting tables without making the word.
    int firstIndexAt(int L, std::int64_t position) const;

    // Replaces word, a generator of level L, by the next greater one: the
    // word one position before it, as the elimination walks the level, from
    // its last word to its first. Returns false, leaving word as it was, at
    // the greatest word.
    bool stepUp(int L, Entry* word) const;

    // Replaces word, a generator of level L, by the next smaller one: the
    // word one position after it, in the chart's order. Returns false,
    // leaving word as it was, at the smallest word.
    bool stepDown(int L, Entry* word) const;

private:
    // Fills entries from .. L of word with the smallest (largest) admissible
    // completion adding up to sum, given entries before `from`.
    void fillSmallest(int L, Entry* word, int from, int sum) const;
    void fillLargest(int L, Entry* word, int from, int sum) const;

    BasisCounts counts_;
};

} // namespace curtis::oracle
