#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"
#include "oracle/basis.hpp"
#include "support/literal_term_set.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace curtis {
namespace {

using testing::add;
using testing::rows;
using testing::stored;
using testing::termSet;
using testing::Word;
using testing::Words;

// The boundary of x (printed for weight w), reduced if asked, printed again.
Words boundary(const Word& x, std::int32_t w, bool reduce = false) {
    const int k = static_cast<int>(x.size()) - 1;
    TermSet set = termSet(k + 2);
    EXPECT_TRUE(appendBoundary(stored(x, w).data(), k, w, set));
    if (reduce) {
        EXPECT_TRUE(reduceToAdmissible(set));
    }
    return rows(set, w);
}

TEST(Boundary, CellIndexAlone) {
    EXPECT_EQ(boundary({2}, 0), (Words{{1, 0}}));
    EXPECT_EQ(boundary({4}, 0), (Words{{3, 0}, {2, 1}}));
    EXPECT_EQ(boundary({3}, 0), Words{});
    EXPECT_EQ(boundary({0}, 0), Words{});
    EXPECT_EQ(boundary({1}, 0), Words{});
    EXPECT_EQ(boundary({-3}, 3), Words{}); // the bottom cell has no boundary
}

TEST(Boundary, NegativeCellsFromThePositiveWeight) {
    EXPECT_EQ(boundary({4}, 1), (Words{{3, 0}, {2, 1}, {-1, 4}}));
    EXPECT_EQ(boundary({0, 3}, 2), (Words{{-1, 0, 3}, {-2, 1, 3}}));
    EXPECT_EQ(boundary({0, 3}, 2, true), (Words{{-1, 2, 1}}));
}

TEST(Boundary, LambdaIndices) {
    EXPECT_EQ(boundary({0, 4}, 0), (Words{{0, 3, 0}, {0, 2, 1}}));
    EXPECT_EQ(boundary({0, 3}, 0), Words{});
    EXPECT_EQ(boundary({0, 7}, 0), Words{});
    EXPECT_EQ(boundary({0, 1, 0, 1}, 0), Words{});
    // Terms keep the entries around the split position.
    EXPECT_EQ(boundary({0, 4, 2}, 0), (Words{{0, 3, 0, 2}, {0, 2, 1, 2}, {0, 4, 1, 0}}));
}

TEST(Boundary, ANonEmptyBoundaryCanReduceToNothing) {
    EXPECT_EQ(boundary({1, 2, 1}, 0), (Words{{1, 1, 0, 1}}));
    EXPECT_EQ(boundary({1, 2, 1}, 0, true), Words{});
}

TEST(Boundary, TermsCancelOnlyAgainstRowsAlreadyThere) {
    TermSet set = termSet(2);
    add(set, {{2, 1}, {7, 7}});
    EXPECT_TRUE(appendBoundary(stored({4}).data(), 0, 0, set));
    EXPECT_EQ(rows(set), (Words{{3, 0}, {7, 7}}));
}

TEST(Boundary, RunningOutOfRowsIsReported) {
    TermSet set = termSet(2, 1);
    EXPECT_FALSE(appendBoundary(stored({4}).data(), 0, 0, set));
    EXPECT_EQ(set.rowCount(), 1);
}

// The terms of the boundary in the order they are formed, each toggled in
// by the plain linear search, computed on printed words with 32-bit values.
Words literalBoundary(const Word& x, std::int32_t w) {
    Words result;
    for (std::size_t p = 0; p < x.size(); ++p) {
        const std::int32_t n = x[p];
        const std::int32_t last = p == 0 ? n + w : n / 2;
        for (std::int32_t j = 1; j <= last; ++j) {
            if (binomialIsOdd(n - j, j)) {
                Word term(x.begin(), x.begin() + static_cast<long>(p));
                term.push_back(n - j);
                term.push_back(j - 1);
                term.insert(term.end(), x.begin() + static_cast<long>(p) + 1, x.end());
                testing::literalToggle(result, term);
            }
        }
    }
    return result;
}

// The rows of a set, in increasing order.
Words sortedRows(const TermSet& set, std::int32_t w) {
    Words result = rows(set, w);
    std::sort(result.begin(), result.end());
    return result;
}

// Every generator of the given levels: the rows of the boundary and of its
// reduction, in order, are those of the plain algorithm on printed words.
// Reduced term by term as it is formed, the boundary is the same set; added
// so to the reduced boundary of the word before, it is the reduced sum of
// the two.
void expectPlainBoundaries(int t, std::int32_t w, int firstLevel, int lastLevel) {
    for (int k = firstLevel; k <= lastLevel; ++k) {
        Words before;
        std::vector<Entry> previous;
        TermSet asItComes = termSet(k + 2, 1 << 20);
        oracle::enumerateLevel(t, k, [&](const Entry* word) {
            const Word x = testing::printed(word, k + 1, w);
            Words expected = literalBoundary(x, w);
            EXPECT_EQ(boundary(x, w), expected) << "t " << t << " w " << w;
            Words sum = before;
            for (const Word& term : expected) {
                testing::literalToggle(sum, term);
            }
            testing::literalReduce(expected);
            EXPECT_EQ(boundary(x, w, true), expected) << "t " << t << " w " << w;

            asItComes.clear(k + 2);
            EXPECT_TRUE(appendReducedBoundary(word, k, w, asItComes));
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(sortedRows(asItComes, w), expected) << "t " << t << " w " << w;
            if (!previous.empty()) {
                EXPECT_TRUE(appendReducedBoundary(previous.data(), k, w, asItComes));
                testing::literalReduce(sum);
                std::sort(sum.begin(), sum.end());
                EXPECT_EQ(sortedRows(asItComes, w), sum) << "t " << t << " w " << w;
            }

            before = literalBoundary(x, w);
            previous.assign(word, word + k + 1);
            return !::testing::Test::HasFailure();
        });
    }
}

TEST(Boundary, RowsAndOrderMatchThePlainAlgorithmOnWholeBases) {
    for (int t : {9, 13}) {
        for (std::int32_t w : {-1, 0, 2, 5}) {
            expectPlainBoundaries(t, w, 0, t - 2);
        }
    }
}

// At the extremes: weights of magnitude 10^9 (cell offsets far from the true
// cells, whose parity decides the cell splits) and the largest degree, whose
// top cell and lambda indices reach 55.
TEST(Boundary, ExtremeWeightsAndTheLargestDegree) {
    for (std::int32_t w : {-1000000000, -1, 0, 3, 1000000000}) {
        expectPlainBoundaries(56, w, 0, 2);
        expectPlainBoundaries(20, w, 0, 18);
    }
}

} // namespace
} // namespace curtis
