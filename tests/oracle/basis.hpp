#pragma once

#include "algebra/monomial.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

// The admissible basis of each level. In total degree t, level L
// (0 <= L <= t - 1) has as basis every admissible monomial of L + 1 entries
// whose stored entries (the cell offset and the lambda indices, all at least
// 0) add up to t - 1 - L, and whose cell offset is at most the top cell's,
// when the space has one. The weight w only shifts the printed cell index,
// so nothing here depends on it.

namespace curtis::oracle {

// Counts that saturate instead of overflowing: a count of words that no
// level the program accepts can hold reads as at least this much. Every
// count that bears on an accepted level (fewer than 2^32 words) is exact.
inline constexpr std::int64_t countCeiling = INT64_MAX;
inline std::int64_t addCounts(std::int64_t a, std::int64_t b) {
    return a > countCeiling - b ? countCeiling : a + b;
}

// The number of generators of every level, from counting tables instead of
// the enumeration; the positions of words in their level are read from the
// same tables.
//
// completions(r, p, s) is the number of ways to choose r further lambda
// indices, the first at most 2p, each later one at most twice its
// predecessor, that add up to s. tailsFrom(r, s, u) counts the runs of r >= 1
// lambda indices adding up to s whose first index is at least u, each later
// one at most twice its predecessor: the sum over v >= u of
// completions(r - 1, v, s - v). Both vanish where nothing fits.
class BasisCounts {
public:
    // Counts for total degree t (1 <= t <= maxEntryDegree) of the words whose
    // cell offset is at most topCell (0 <= topCell), for the levels 0 to
    // lastLevel (at most t - 1, and below maxMonomialLength; the default:
    // every level). The tables grow with lastLevel + 1 times the square of t.
    explicit BasisCounts(int t, int topCell = noTopCell, int lastLevel = -1);

    int degree() const { return t_; }
    // The levels counted: 0 .. levels() - 1.
    int levels() const { return levels_; }
    // The largest cell offset counted.
    int topCell() const { return topCell_; }
    // Generators of level L, 0 <= L < levels() (saturated at countCeiling).
    std::int64_t levelSize(int L) const { return sizes_[static_cast<std::size_t>(L)]; }

    // r in 0 .. levels() - 1, p in 0 .. t (p = t: no bound), s in 0 .. t.
    std::int64_t completions(int r, int p, int s) const { return completions_[at(r, p, s)]; }
    // r in 1 .. levels() - 1, s in 0 .. t, u in 0 .. t + 1.
    std::int64_t tailsFrom(int r, int s, int u) const { return tailsFrom_[tailIndex(r, s, u)]; }
    // Runs of L lambda indices adding up to s, the first unconstrained.
    std::int64_t lambdaWords(int L, int s) const { return completions(L, t_, s); }
    // Generators of level L (< levels()) whose cell offset is greater than
    // cell (0 <= cell <= t - 1 - L): where the words of that cell start. Cells
    // above the top cell hold none.
    std::int64_t wordsAboveCell(int L, int cell) const {
        return wordsAbove_[static_cast<std::size_t>(L) * values_ + static_cast<std::size_t>(cell)];
    }

private:
    std::size_t at(int r, int p, int s) const {
        return (static_cast<std::size_t>(r) * values_ + static_cast<std::size_t>(p)) * values_ +
               static_cast<std::size_t>(s);
    }
    std::size_t tailIndex(int r, int s, int u) const {
        return (static_cast<std::size_t>(r) * values_ + static_cast<std::size_t>(s)) *
                   (values_ + 1) +
               static_cast<std::size_t>(u);
    }

    int t_;
    int levels_;
    int topCell_;
    std::size_t values_; // t + 1: the values an entry, a sum or a bound takes
    std::vector<std::int64_t> completions_;
    std::vector<std::int64_t> tailsFrom_;
    std::vector<std::int64_t> sizes_;
    std::vector<std::int64_t> wordsAbove_;
};

// The recursive worker of the enumeration: entries 0 to position - 1 of word
// are chosen; chooses the remaining entries (position included), which must
// add up to sum, largest values first, and hands each admissible completion
// to sink (a callable taking const Entry*, returning false to stop); a cell
// offset, chosen at position 0, is at most topCell. Returns false when the
// sink stopped it.
template <typename Sink>
bool enumerateAdmissible(Entry* word, int position, int remaining, int sum, Sink& sink,
                         int topCell = noTopCell) {
    if (remaining == 1) {
        // The last entry takes the whole sum; after the first lambda index
        // it must not exceed twice its predecessor.
        if ((position >= 2 && sum > 2 * word[position - 1]) || (position == 0 && sum > topCell)) {
            return true;
        }
        word[position] = static_cast<Entry>(sum);
        return sink(static_cast<const Entry*>(word));
    }
    if (position == 0) {
        // The cell offset, from the largest possible down to the bottom cell.
        for (int cell = std::min(sum, topCell); cell >= 0; --cell) {
            word[0] = static_cast<Entry>(cell);
            if (!enumerateAdmissible(word, 1, remaining - 1, sum - cell, sink)) {
                return false;
            }
        }
        return true;
    }
    const int bound = position == 1 ? sum : std::min(sum, 2 * word[position - 1]);
    // The entries after a value v can add up to at most 2v + 4v + ... =
    // v (2^remaining - 2), so values below sum / (2^remaining - 1) leave a
    // rest that no admissible completion reaches: stop before them.
    const std::int64_t reach = remaining >= 32 ? INT64_MAX : (std::int64_t{1} << remaining) - 1;
    const int lowest = sum == 0 ? 0 : static_cast<int>((sum - 1) / reach + 1);
    for (int value = bound; value >= lowest; --value) {
        word[position] = static_cast<Entry>(value);
        if (!enumerateAdmissible(word, position + 1, remaining - 1, sum - value, sink)) {
            return false;
        }
    }
    return true;
}

// Hands the basis of level L in total degree t (0 <= L < t <=
// maxEntryDegree, L < maxMonomialLength) to sink in strictly decreasing order: by cell index
// first, from the highest cell, t - 1 - L or the top cell offset, down to the
// bottom cell, then by the first lambda index, and so on. Returns false when
// the sink stopped it.
template <typename Sink> bool enumerateLevel(int t, int L, Sink&& sink, int topCell = noTopCell) {
    Entry word[maxMonomialLength];
    return enumerateAdmissible(word, 0, L + 1, t - 1 - L, sink, topCell);
}

} // namespace curtis::oracle
