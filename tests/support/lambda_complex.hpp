#pragma once

// The Lambda-algebra complex of P_{-w}, computed directly from the
// definitions and apart from the program: bases by brute force, boundaries
// reduced by a recursive rewrite of single words. Words are printed words
// (the true cell index first) of 32-bit values.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace curtis::testing {

using Word = std::vector<std::int32_t>;
using Chain = std::set<Word>; // a sum mod 2 of words

inline void addTerm(Chain& chain, const Word& word) {
    auto [at, inserted] = chain.insert(word);
    if (!inserted) {
        chain.erase(at);
    }
}

inline void addChain(Chain& chain, const Chain& other) {
    for (const Word& word : other) {
        addTerm(chain, word);
    }
}

// C(n, k) mod 2 from an exact coefficient. For k < 64 the parity depends on
// n modulo 64 only (a generalised coefficient is a polynomial in n with
// 2-integral values, periodic mod 2 with period 2^m > k), so n is first
// reduced to 0 .. 63, which keeps the exact value small for any weight.
inline bool oddCoefficient(int n, int k) {
    const int residue = n & 63;
    __int128 value = 1;
    for (int i = 0; i < k; ++i) {
        value = value * (residue - i) / (i + 1);
    }
    return value % 2 != 0;
}

inline bool admissible(const Word& a) {
    for (std::size_t j = 1; j + 1 < a.size(); ++j) {
        if (2 * a[j] < a[j + 1]) {
            return false;
        }
    }
    return true;
}

// The basis of level L: all admissible words, by brute force, greatest first.
inline std::vector<Word> basis(int t, int w, int L) {
    std::vector<Word> words;
    Word word(static_cast<std::size_t>(L) + 1);
    const int coweight = t - w - 1 - L;
    std::function<void(int, int)> fill = [&](int position, int rest) {
        if (position == L) {
            word.back() = rest;
            if (admissible(word)) {
                words.push_back(word);
            }
            return;
        }
        for (int value = 0; value <= rest; ++value) {
            word[static_cast<std::size_t>(position)] = value;
            fill(position + 1, rest - value);
        }
    };
    for (int cell = -w; cell <= coweight; ++cell) {
        word[0] = cell;
        if (L == 0) {
            if (cell == coweight) {
                words.push_back(word);
            }
        } else {
            fill(1, coweight - cell);
        }
    }
    std::sort(words.begin(), words.end(), std::greater<>());
    return words;
}

// The admissible form of one word, rewriting its last inadmissible pair and
// reducing each resulting word in turn.
inline Chain reduceWord(const Word& a, std::map<Word, Chain>& memo) {
    if (auto known = memo.find(a); known != memo.end()) {
        return known->second;
    }
    Chain result;
    int j = -1;
    for (int p = static_cast<int>(a.size()) - 2; p >= 1 && j < 0; --p) {
        if (const auto q = static_cast<std::size_t>(p); 2 * a[q] < a[q + 1]) {
            j = p;
        }
    }
    if (j < 0) {
        result.insert(a);
    } else {
        const auto at = static_cast<std::size_t>(j);
        const int x = a[at];
        const int y = a[at + 1];
        const int d = y - 2 * x - 2;
        for (int m = 0; 2 * m <= d; ++m) {
            if (oddCoefficient(d - m, m)) {
                Word term = a;
                term[at] = y - x - 1 - m;
                term[at + 1] = 2 * x + 1 + m;
                addChain(result, reduceWord(term, memo));
            }
        }
    }
    memo[a] = result;
    return result;
}

inline Chain reducedBoundary(const Word& x, int w, std::map<Word, Chain>& memo) {
    Chain result;
    for (std::size_t p = 0; p < x.size(); ++p) {
        const int n = x[p];
        const int last = p == 0 ? n + w : n / 2;
        for (int j = 1; j <= last; ++j) {
            if (oddCoefficient(n - j, j)) {
                Word term(x.begin(), x.begin() + static_cast<long>(p));
                term.push_back(n - j);
                term.push_back(j - 1);
                term.insert(term.end(), x.begin() + static_cast<long>(p) + 1, x.end());
                addChain(result, reduceWord(term, memo));
            }
        }
    }
    return result;
}

// Rank over F2 of the boundary map from one basis into the next, whose
// words must hold every boundary term.
inline int boundaryRank(const std::vector<Word>& from, const std::vector<Word>& to, int w,
                        std::map<Word, Chain>& memo) {
    std::map<Word, std::size_t> column;
    for (std::size_t i = 0; i < to.size(); ++i) {
        column[to[i]] = i;
    }
    std::vector<std::vector<bool>> rows;
    for (const Word& x : from) {
        std::vector<bool> row(to.size(), false);
        for (const Word& term : reducedBoundary(x, w, memo)) {
            row.at(column.at(term)) = true;
        }
        rows.push_back(row);
    }
    int rank = 0;
    for (std::size_t c = 0; c < to.size() && rank < static_cast<int>(rows.size()); ++c) {
        auto pivot = std::find_if(rows.begin() + rank, rows.end(),
                                  [c](const std::vector<bool>& row) { return row[c]; });
        if (pivot == rows.end()) {
            continue;
        }
        std::iter_swap(rows.begin() + rank, pivot);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r != static_cast<std::size_t>(rank) && rows[r][c]) {
                for (std::size_t e = 0; e < to.size(); ++e) {
                    rows[r][e] = rows[r][e] != rows[static_cast<std::size_t>(rank)][e];
                }
            }
        }
        ++rank;
    }
    return rank;
}

// The basis of level L of the Lambda algebra's subcomplex Lambda(N) in the
// sphere's grading: the words on the one cell 0 whose first lambda index is
// below N (every word of level 0, the unit, is in it).
inline std::vector<Word> unstableBasis(int t, int L, int N) {
    std::vector<Word> words;
    for (const Word& word : basis(t, 0, L)) {
        if (word[0] == 0 && (L == 0 || word[1] < N)) {
            words.push_back(word);
        }
    }
    return words;
}

} // namespace curtis::testing
