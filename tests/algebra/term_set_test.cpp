#include "algebra/term_set.hpp"
#include "support/literal_term_set.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <random>
#include <set>

namespace curtis {
namespace {

using testing::add;
using testing::rows;
using testing::termSet;
using testing::Word;
using testing::Words;

TEST(Toggle, InsertionAppendsAndRepetitionCancels) {
    TermSet set = termSet(3);
    EXPECT_TRUE(add(set, {{1, 2, 3}}));
    EXPECT_EQ(rows(set), (Words{{1, 2, 3}}));
    EXPECT_TRUE(add(set, {{0, 2, 3}, {1, 2, 4}}));
    EXPECT_EQ(rows(set), (Words{{1, 2, 3}, {0, 2, 3}, {1, 2, 4}}));
    // Same monomial twice in a row restores the earlier set.
    EXPECT_TRUE(add(set, {{5, 5, 5}, {5, 5, 5}}));
    EXPECT_EQ(rows(set), (Words{{1, 2, 3}, {0, 2, 3}, {1, 2, 4}}));
}

TEST(Toggle, RemovalFillsTheHoleWithTheLastRow) {
    TermSet set = termSet(2);
    add(set, {{0, 0}, {1, 1}, {2, 2}});
    add(set, {{0, 0}});
    EXPECT_EQ(rows(set), (Words{{2, 2}, {1, 1}}));
    add(set, {{1, 1}}); // the last row: only the count drops
    EXPECT_EQ(rows(set), (Words{{2, 2}}));
    add(set, {{2, 2}});
    EXPECT_EQ(set.rowCount(), 0);
}

TEST(Toggle, RowsDifferingInOneEntryAreDistinct) {
    TermSet set = termSet(3);
    add(set, {{-1, 4, 0}, {0, 4, 0}, {0, 4, 1}}, 1);
    EXPECT_EQ(set.rowCount(), 3);
}

TEST(Toggle, EntriesBeyondTheRowLengthAreIgnored) {
    TermSet set = termSet(2);
    const Entry first[] = {3, 4, 100};
    const Entry second[] = {3, 4, 200};
    EXPECT_TRUE(set.toggle(first));
    set.row(0)[2] = 55; // stale storage beyond the row length
    EXPECT_TRUE(set.toggle(second));
    EXPECT_EQ(set.rowCount(), 0);
}

TEST(Toggle, AFullSetRefusesAnInsertionButStillCancels) {
    TermSet set = termSet(2, 2);
    EXPECT_TRUE(add(set, {{1, 0}, {0, 1}}));
    EXPECT_FALSE(add(set, {{2, 1}}));
    EXPECT_EQ(rows(set), (Words{{1, 0}, {0, 1}}));
    EXPECT_TRUE(add(set, {{1, 0}}));
    EXPECT_EQ(rows(set), (Words{{0, 1}}));
}

TEST(Toggle, ManyRowsKeepTheOrderOfALinearSearch) {
    // Sets small and large, built and torn down in random order, emptied
    // between rounds: every row lands where the plain linear search puts it,
    // before and after the index takes over, and while the storage grows
    // from a single row.
    std::mt19937 random(11);
    TermSet set = termSet(4, 7000, 1);
    EXPECT_EQ(set.rowCapacity(), 1);
    std::int32_t peak = 0;
    for (int values : {3, 4, 9}) {
        set.clear(4);
        Words expected;
        for (int round = 0; round < 20000; ++round) {
            Word word(4);
            for (std::int32_t& entry : word) {
                entry = static_cast<std::int32_t>(random() % static_cast<unsigned>(values));
            }
            ASSERT_TRUE(add(set, {word}));
            testing::literalToggle(expected, word);
            peak = std::max(peak, set.rowCount());
            if (round % 97 == 0) {
                ASSERT_EQ(rows(set), expected) << "round " << round;
            }
        }
        EXPECT_EQ(rows(set), expected);
    }
    EXPECT_GT(set.indexSlots(), 2 * 1000u); // the index grew with the set
    // The rows doubled as they were needed.
    EXPECT_GE(set.rowCapacity(), peak);
    EXPECT_LT(set.rowCapacity(), 2 * peak);

    set.clear(3);
    EXPECT_EQ(set.rowCount(), 0);
    EXPECT_EQ(set.indexSlots(), TermSet::minimumSlots);
    EXPECT_TRUE(add(set, {{1, 2, 3}, {4, 5, 6}, {1, 2, 3}}));
    EXPECT_EQ(rows(set), (Words{{4, 5, 6}}));
}

// The leading term, found by the rows' keys, is the greatest row for rows
// short and long (up to the longest a word has), including rows that agree
// in their first 16 entries, after rows have moved into cancelled or removed
// ones' places, and in sets large enough to keep it in a tournament, through
// growth and clearing.
TEST(GreatestRow, IsTheGreatestRowOfEveryLength) {
    std::mt19937 random(5);
    for (const int length : {1, 3, 8, 15, 16, 17, 24, 40, 65, 130, maxMonomialLength}) {
        TermSet set = termSet(length, 40000);
        std::set<Word> expected;
        const auto toggle = [&](const Word& word) {
            if (!expected.erase(word)) {
                expected.insert(word);
            }
        };
        std::int32_t peak = 0;
        for (int round = 0; round < 24000; ++round) {
            if (round == 16000) { // from a large set back to none
                set.clear(length);
                expected.clear();
            }
            Word word(static_cast<std::size_t>(length), 7); // a long common prefix
            for (int tail = std::max(0, length - 10); tail < length; ++tail) {
                word[static_cast<std::size_t>(tail)] = static_cast<std::int32_t>(random() % 3);
            }
            ASSERT_TRUE(add(set, {word}));
            toggle(word);
            if (round % 5 == 0 && set.rowCount() > 0) {
                const std::int32_t r =
                    static_cast<std::int32_t>(random() % static_cast<unsigned>(set.rowCount()));
                toggle(Word(set.row(r), set.row(r) + length));
                set.removeRow(r);
            }
            peak = std::max(peak, set.rowCount());
            ASSERT_EQ(set.rowCount(), static_cast<std::int32_t>(expected.size()));
            if (set.rowCount() > 0) {
                ASSERT_LT(greatestRow(set), set.rowCount());
                const Entry* greatest = set.row(greatestRow(set));
                ASSERT_EQ(Word(greatest, greatest + length), *expected.rbegin())
                    << "length " << length << " round " << round;
            }
        }
        if (length >= 10) {
            EXPECT_GT(peak, TermSet::tournamentRows) << "length " << length;
        }
    }
}

TEST(Toggle, RemovingARowByPositionIsCancellingIt) {
    for (int extra : {0, 100}) { // without and with the index grown
        TermSet set = termSet(2);
        Words expected{{0, 0}, {1, 1}, {2, 2}, {3, 3}};
        for (int i = 0; i < extra; ++i) {
            expected.push_back({10, i});
        }
        add(set, expected);
        for (std::int32_t r : {1, 2, 0}) {
            set.removeRow(r);
            expected[static_cast<std::size_t>(r)] = expected.back();
            expected.pop_back();
        }
        EXPECT_EQ(rows(set), expected);
        // Every moved row is still found where it now is.
        add(set, Words(expected.rbegin(), expected.rend()));
        EXPECT_EQ(set.rowCount(), 0);
    }
}

TEST(TermSetStorage, SizedForItsRowsAndIndex) {
    EXPECT_EQ(TermSet::slotsFor(0), TermSet::minimumSlots);
    EXPECT_EQ(TermSet::slotsFor(32), 64u);
    EXPECT_EQ(TermSet::slotsFor(33), 128u);
    // 1000 rows of up to 40 entries, a hash, a slot number, a pair range and
    // a key each, and an index of 2048 slots of eight bytes.
    EXPECT_EQ(TermSet::bytesFor(1000, 40), 1000u * 40 + 1000u * (10 + 16) + 2048u * 8);
    TermSet set;
    ASSERT_TRUE(set.allocate(1000, 40));
    EXPECT_EQ(set.rowLimit(), 1000);
    EXPECT_EQ(set.rowCount(), 0);
    EXPECT_EQ(set.rowLength(), 40);
}

// A limit above what a 32-bit index can address is taken as the largest one:
// the index keeps its slots, and the set grows as any other.
TEST(TermSetStorage, RowLimitsAboveTheIndexAreClamped) {
    EXPECT_EQ(TermSet::slotsFor(INT32_MAX), 2 * std::uint64_t{TermSet::maxRowLimit});
    TermSet set;
    ASSERT_TRUE(set.allocate(INT32_MAX, 3));
    EXPECT_EQ(set.rowLimit(), TermSet::maxRowLimit);
    Words words;
    for (Entry a = 0; a < 40; ++a) {
        for (Entry b = 0; b < 40; ++b) {
            words.push_back({a, b, 7});
        }
    }
    ASSERT_TRUE(add(set, words));
    EXPECT_EQ(set.rowCount(), 1600);
    ASSERT_TRUE(add(set, words));
    EXPECT_EQ(set.rowCount(), 0);
}

} // namespace
} // namespace curtis
