#include "algebra/term_set.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

namespace curtis {
namespace {

using testing::OwnedTermSet;
using testing::Words;

TEST(Toggle, InsertionAppendsAndRepetitionCancels) {
    OwnedTermSet terms(3);
    EXPECT_TRUE(terms.add({{1, 2, 3}}));
    EXPECT_EQ(terms.rows(), (Words{{1, 2, 3}}));
    EXPECT_TRUE(terms.add({{0, 2, 3}, {1, 2, 4}}));
    EXPECT_EQ(terms.rows(), (Words{{1, 2, 3}, {0, 2, 3}, {1, 2, 4}}));
    // Same monomial twice in a row restores the earlier set.
    EXPECT_TRUE(terms.add({{5, 5, 5}, {5, 5, 5}}));
    EXPECT_EQ(terms.rows(), (Words{{1, 2, 3}, {0, 2, 3}, {1, 2, 4}}));
}

TEST(Toggle, RemovalFillsTheHoleWithTheLastRow) {
    OwnedTermSet terms(2);
    terms.add({{0, 0}, {1, 1}, {2, 2}});
    terms.add({{0, 0}});
    EXPECT_EQ(terms.rows(), (Words{{2, 2}, {1, 1}}));
    terms.add({{1, 1}}); // the last row: only the count drops
    EXPECT_EQ(terms.rows(), (Words{{2, 2}}));
    terms.add({{2, 2}});
    EXPECT_EQ(terms.set().rowCount, 0);
}

TEST(Toggle, RowsDifferingInOneEntryAreDistinct) {
    OwnedTermSet terms(3);
    terms.add({{-1, 4, 0}, {0, 4, 0}, {0, 4, 1}});
    EXPECT_EQ(terms.set().rowCount, 3);
}

TEST(Toggle, EntriesBeyondTheRowLengthAreIgnored) {
    OwnedTermSet terms(2);
    const std::int32_t first[] = {3, 4, 100};
    const std::int32_t second[] = {3, 4, -100};
    EXPECT_TRUE(toggle(terms.set(), first));
    terms.row(0)[2] = 55; // stale storage beyond the row length
    EXPECT_TRUE(toggle(terms.set(), second));
    EXPECT_EQ(terms.set().rowCount, 0);
}

TEST(Toggle, AFullSetRefusesAnInsertionButStillCancels) {
    OwnedTermSet terms(2, 2);
    EXPECT_TRUE(terms.add({{1, 0}, {0, 1}}));
    EXPECT_FALSE(terms.add({{2, -1}}));
    EXPECT_EQ(terms.rows(), (Words{{1, 0}, {0, 1}}));
    EXPECT_TRUE(terms.add({{1, 0}}));
    EXPECT_EQ(terms.rows(), (Words{{0, 1}}));
}

} // namespace
} // namespace curtis
