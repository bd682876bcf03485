#include "algebra/term_set.hpp"
#include "support/literal_term_set.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <random>

namespace curtis {
namespace {

using testing::OwnedTermSet;
using testing::Word;
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

TEST(Toggle, ManyRowsKeepTheOrderOfALinearSearch) {
    // Sets small and large, built and torn down in random order, emptied
    // between rounds: every row lands where the plain linear search puts it,
    // before and after the index takes over.
    std::mt19937 random(11);
    OwnedTermSet terms(4, 7000);
    for (int values : {3, 4, 9}) {
        clearTermSet(terms.set(), 4);
        Words expected;
        for (int round = 0; round < 20000; ++round) {
            Word word(4);
            for (std::int32_t& entry : word) {
                entry = static_cast<std::int32_t>(random() % values) - 2;
            }
            ASSERT_TRUE(terms.add({word}));
            testing::literalToggle(expected, word);
            if (round % 97 == 0) {
                ASSERT_EQ(terms.rows(), expected) << "round " << round;
            }
        }
        EXPECT_EQ(terms.rows(), expected);
    }
    EXPECT_GT(terms.set().slotMask + 1, 2 * 1000u); // the index grew with the set

    clearTermSet(terms.set(), 3);
    EXPECT_EQ(terms.set().rowCount, 0);
    EXPECT_EQ(terms.set().slotMask + 1, minimumSlots);
    EXPECT_TRUE(terms.add({{1, 2, 3}, {4, 5, 6}, {1, 2, 3}}));
    EXPECT_EQ(terms.rows(), (Words{{4, 5, 6}}));
}

TEST(Toggle, RemovingARowByPositionIsCancellingIt) {
    for (int extra : {0, 100}) { // without and with the index
        OwnedTermSet terms(2);
        Words expected{{0, 0}, {1, 1}, {2, 2}, {3, 3}};
        for (int i = 0; i < extra; ++i) {
            expected.push_back({10, i});
        }
        terms.add(expected);
        for (std::int32_t r : {1, 2, 0}) {
            removeRow(terms.set(), r);
            expected[static_cast<std::size_t>(r)] = expected.back();
            expected.pop_back();
        }
        EXPECT_EQ(terms.rows(), expected);
        // Every moved row is still found where it now is.
        terms.add(Words(expected.rbegin(), expected.rend()));
        EXPECT_EQ(terms.set().rowCount, 0);
    }
}

} // namespace
} // namespace curtis
