#include "algebra/reduction.hpp"
#include "support/literal_term_set.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <random>

namespace curtis {
namespace {

using testing::add;
using testing::rows;
using testing::termSet;
using testing::Words;

// The rows of a set holding `start` after reduction, printed for weight w.
Words reduced(const Words& start, std::int32_t w = 0, int rowLimit = 256) {
    TermSet set = termSet(static_cast<int>(start.front().size()), rowLimit);
    add(set, start, w);
    EXPECT_TRUE(reduceToAdmissible(set));
    return rows(set, w);
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
    TermSet empty = termSet(3);
    EXPECT_TRUE(reduceToAdmissible(empty));
    EXPECT_EQ(empty.rowCount(), 0);
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
    EXPECT_EQ(reduced({{-7, 0, 4}}, 7), (Words{{-7, 2, 2}, {-7, 3, 1}}));
    EXPECT_EQ(reduced({{-1000000000, 0, 4}}, 1000000000),
              (Words{{-1000000000, 2, 2}, {-1000000000, 3, 1}}));
}

TEST(Reduction, RunningOutOfRowsIsReported) {
    // (5, 0, 4) needs two terms beside the row being rewritten.
    TermSet set = termSet(3, 2);
    add(set, {{5, 0, 4}});
    EXPECT_FALSE(reduceToAdmissible(set));
    EXPECT_LE(set.rowCount(), 2);
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
            testing::Word row(static_cast<std::size_t>(length));
            row[0] = static_cast<std::int32_t>(random() % 2);
            for (int e = 1; e < length; ++e) {
                row[static_cast<std::size_t>(e)] =
                    static_cast<std::int32_t>(random() % static_cast<unsigned>(largest + 1));
            }
            testing::literalToggle(start, row);
        }
        if (start.empty()) {
            continue;
        }
        Words expected = start;
        testing::literalReduce(expected);
        TermSet set = termSet(length, 4000);
        add(set, start);
        ASSERT_EQ(rows(set), start);
        ASSERT_TRUE(reduceToAdmissible(set));
        EXPECT_EQ(rows(set), expected) << "trial " << trial;
    }
}

} // namespace
} // namespace curtis
