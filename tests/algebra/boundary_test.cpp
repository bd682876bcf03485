#include "algebra/basis.hpp"
#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"
#include "support/literal_term_set.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

namespace curtis {
namespace {

using testing::OwnedTermSet;
using testing::Word;
using testing::Words;

Words boundary(const Word& x, int w, bool reduce = false) {
    const int k = static_cast<int>(x.size()) - 1;
    OwnedTermSet terms(k + 2);
    EXPECT_TRUE(appendBoundary(x.data(), k, w, terms.set(), terms.scratch()));
    if (reduce) {
        EXPECT_TRUE(reduceToAdmissible(terms.set(), terms.scratch()));
    }
    return terms.rows();
}

TEST(Boundary, CellIndexAlone) {
    EXPECT_EQ(boundary({2}, 0), (Words{{1, 0}}));
    EXPECT_EQ(boundary({4}, 0), (Words{{3, 0}, {2, 1}}));
    EXPECT_EQ(boundary({3}, 0), Words{});
    EXPECT_EQ(boundary({0}, 0), Words{});
    EXPECT_EQ(boundary({1}, 0), Words{});
    EXPECT_EQ(boundary({-3}, 3), Words{}); // the lowest cell has no boundary
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
    OwnedTermSet terms(2);
    terms.add({{2, 1}, {7, 7}});
    const Word x{4};
    EXPECT_TRUE(appendBoundary(x.data(), 0, 0, terms.set(), terms.scratch()));
    EXPECT_EQ(terms.rows(), (Words{{3, 0}, {7, 7}}));
}

TEST(Boundary, RunningOutOfRowsIsReported) {
    OwnedTermSet terms(2, 1);
    const Word x{4};
    EXPECT_FALSE(appendBoundary(x.data(), 0, 0, terms.set(), terms.scratch()));
    EXPECT_EQ(terms.set().rowCount, 1);
}

// The terms of the boundary in the order they are formed, each toggled in
// by the plain linear search.
Words literalBoundary(const Word& x, int w) {
    Words rows;
    for (std::size_t p = 0; p < x.size(); ++p) {
        const std::int32_t n = x[p];
        const std::int32_t last = p == 0 ? n + w : n / 2;
        for (std::int32_t j = 1; j <= last; ++j) {
            if (binomialIsOdd(n - j, j)) {
                Word term(x.begin(), x.begin() + static_cast<long>(p));
                term.push_back(n - j);
                term.push_back(j - 1);
                term.insert(term.end(), x.begin() + static_cast<long>(p) + 1, x.end());
                testing::literalToggle(rows, term);
            }
        }
    }
    return rows;
}

// Every generator of every level for a few degrees and weights: the rows of
// the boundary and of its reduction, in order, are those of the plain
// algorithm.
TEST(Boundary, RowsAndOrderMatchThePlainAlgorithmOnWholeBases) {
    for (int t : {9, 13}) {
        for (int w : {-1, 0, 2, 5}) {
            GeneratorTables tables;
            ASSERT_EQ(createGeneratorTables(tables, t, 2000), CreateStatus::Ok);
            for (int k = 1; k + 1 < t; ++k) {
                ASSERT_TRUE(enumerateLevel(tables, k, t - w - 1, w));
                for (std::int32_t i = 0; i < tables.levelCount[k]; ++i) {
                    const Word x(tables.word(k, i), tables.word(k, i) + k + 1);
                    Words expected = literalBoundary(x, w);
                    EXPECT_EQ(boundary(x, w), expected);
                    testing::literalReduce(expected);
                    EXPECT_EQ(boundary(x, w, true), expected);
                }
            }
            releaseGeneratorTables(tables);
        }
    }
}

} // namespace
} // namespace curtis
