#include "algebra/reduction.hpp"
#include "support/literal_term_set.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <random>

namespace curtis {
namespace {

using testing::OwnedTermSet;
using testing::Words;

Words reduced(const Words& rows, int rowLimit = 256) {
    OwnedTermSet terms(static_cast<int>(rows.front().size()), rowLimit);
    terms.add(rows);
    EXPECT_TRUE(reduceToAdmissible(terms.set(), terms.scratch()));
    return terms.rows();
}

TEST(Reduction, WorkedValuesRowForRow) {
    EXPECT_EQ(reduced({{5, 0, 1}}), Words{});
    EXPECT_EQ(reduced({{5, 0, 2}}), (Words{{5, 1, 1}}));
    EXPECT_EQ(reduced({{5, 0, 3}}), (Words{{5, 2, 1}}));
    EXPECT_EQ(reduced({{5, 0, 4}}), (Words{{5, 2, 2}, {5, 3, 1}}));
    EXPECT_EQ(reduced({{5, 1, 4}}), (Words{{5, 2, 3}}));
    EXPECT_EQ(reduced({{5, 1, 6}}), (Words{{5, 3, 4}, {5, 4, 3}}));
    EXPECT_EQ(reduced({{5, 1, 7}}), (Words{{5, 5, 3}}));
    EXPECT_EQ(reduced({{5, 2, 9}}), (Words{{5, 6, 5}}));
}

TEST(Reduction, NothingToDo) {
    OwnedTermSet empty(3);
    EXPECT_TRUE(reduceToAdmissible(empty.set(), empty.scratch()));
    EXPECT_EQ(empty.set().rowCount, 0);
    EXPECT_EQ(reduced({{4, 9}}), (Words{{4, 9}}));
    EXPECT_EQ(reduced({{0, 9, 1}}), (Words{{0, 9, 1}}));
}

TEST(Reduction, FirstPairDecides) {
    // (1, 3) has y = 2x + 1: the monomial is zero, (3, 7) is never reached.
    EXPECT_EQ(reduced({{0, 1, 3, 7}}), Words{});
    // Rewriting (0, 3) gives (0, 0, 2, 1), whose earlier pair is then rewritten.
    EXPECT_EQ(reduced({{0, 0, 0, 3}}), (Words{{0, 1, 1, 1}}));
}

TEST(Reduction, TermsCancelRowsAlreadyPresent) {
    EXPECT_EQ(reduced({{0, 0, 4}, {0, 3, 1}}), (Words{{0, 2, 2}}));
    EXPECT_EQ(reduced({{1, 0, 2}, {1, 1, 1}}), Words{});
}

TEST(Reduction, RowOrderAfterRewritingEachRowInTurn) {
    EXPECT_EQ(reduced({{0, 0, 3}, {0, 1, 4}}), (Words{{0, 2, 1}, {0, 2, 3}}));
}

TEST(Reduction, ACellIndexOfAnySignIsCarriedAlong) {
    EXPECT_EQ(reduced({{-7, 0, 4}}), (Words{{-7, 2, 2}, {-7, 3, 1}}));
}

TEST(Reduction, RunningOutOfRowsIsReported) {
    // (5, 0, 4) needs two terms beside the row being rewritten.
    OwnedTermSet terms(3, 2);
    terms.add({{5, 0, 4}});
    EXPECT_FALSE(reduceToAdmissible(terms.set(), terms.scratch()));
    EXPECT_LE(terms.set().rowCount, 2);
}

TEST(Reduction, RowsAndTheirOrderMatchThePlainRewriteOnRandomSets) {
    // Small entries and one cell index make terms meet rows already present,
    // so cancellations move rows about: in front of the row being rewritten,
    // and the rewritten row itself when it is the last one.
    std::mt19937 random(5);
    for (int trial = 0; trial < 3000; ++trial) {
        const int length = 3 + static_cast<int>(random() % 4);
        const int largest = 3 + static_cast<int>(random() % 6);
        Words start;
        for (int r = 0; r < 1 + static_cast<int>(random() % 16); ++r) {
            testing::Word row(length);
            row[0] = static_cast<std::int32_t>(random() % 2);
            for (int e = 1; e < length; ++e) {
                row[e] = static_cast<std::int32_t>(random() % (largest + 1));
            }
            testing::literalToggle(start, row);
        }
        if (start.empty()) {
            continue;
        }
        Words expected = start;
        testing::literalReduce(expected);
        OwnedTermSet terms(length, 4000);
        terms.add(start);
        ASSERT_EQ(terms.rows(), start);
        ASSERT_TRUE(reduceToAdmissible(terms.set(), terms.scratch()));
        EXPECT_EQ(terms.rows(), expected) << "trial " << trial;
    }
}

} // namespace
} // namespace curtis
