#include "algebra/reduction.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

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

} // namespace
} // namespace curtis
