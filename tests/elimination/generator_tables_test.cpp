#include "algebra/term_set.hpp"
#include "elimination/computation.hpp"
#include "elimination/generator_tables.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace curtis {
namespace {

TEST(GeneratorTables, TheBlockHoldsTheLargestPairOfAdjacentLevels) {
    // Four bytes a record, whatever the level.
    EXPECT_EQ(GeneratorTables::blockBytes({1}), 4u);
    EXPECT_EQ(GeneratorTables::blockBytes({1, 5, 7, 4}), 4u * (5 + 7));
    EXPECT_EQ(GeneratorTables::blockBytes({}), 0u);
}

TEST(GeneratorTables, RecordsHoldAStateOrATagPosition) {
    const BasisPositions basis(6);
    GeneratorTables tables;
    ASSERT_TRUE(tables.allocate(basis, {1, 5, 7, 7, 3, 1}));
    ASSERT_TRUE(tables.open(1));
    const LevelTable one = tables.table(1);
    EXPECT_EQ(one.count, 5);
    for (std::int64_t i = 0; i < one.count; ++i) {
        EXPECT_EQ(one.state(i), Alive);
    }
    one.markSource(0);
    one.markHit(1, 0); // position 0 is a tag like any other
    one.markHit(2, hitLimit - 1);
    EXPECT_EQ(one.state(0), Source);
    EXPECT_EQ(one.state(1), Hit);
    EXPECT_EQ(one.tag(1), 0);
    EXPECT_EQ(one.state(2), Hit);
    EXPECT_EQ(one.tag(2), hitLimit - 1);
    EXPECT_EQ(one.state(3), Alive);
}

TEST(GeneratorTables, EvenLevelsAtTheFrontOddLevelsAtTheEnd) {
    const BasisPositions basis(6); // levels of 1, 5, 7, 7, 3 and 1 generators
    GeneratorTables tables;
    ASSERT_TRUE(tables.allocate(basis, {1, 5, 7, 7, 3, 1}));
    EXPECT_EQ(tables.levels(), 6);
    ASSERT_TRUE(tables.open(0));
    ASSERT_TRUE(tables.open(1));
    tables.table(1).markHit(4, 0);
    // Level 2 overwrites level 0 and leaves level 1 as it was.
    ASSERT_TRUE(tables.open(2));
    EXPECT_EQ(tables.table(0).records, tables.table(2).records);
    EXPECT_EQ(tables.table(1).state(4), Hit);
    EXPECT_EQ(tables.table(1).state(3), Alive);
    // Level 3 ends where the block ends and does not reach level 2.
    ASSERT_TRUE(tables.open(3));
    EXPECT_GE(tables.table(3).records, tables.table(2).records + 7);
    EXPECT_EQ(tables.table(3).records + 7, tables.table(1).records + 5);
    // The words come from the positions.
    Entry word[maxMonomialLength];
    tables.table(2).word(1, word);
    EXPECT_EQ((std::vector<int>{word[0], word[1], word[2]}), (std::vector<int>{2, 1, 0}));
}

TEST(GeneratorTables, ALevelLargerThanItsCapacityIsNotOpened) {
    const BasisPositions basis(6);
    GeneratorTables tables;
    ASSERT_TRUE(tables.allocate(basis, std::vector<std::int64_t>(6, 6)));
    EXPECT_TRUE(tables.open(1));
    EXPECT_FALSE(tables.open(2)); // seven generators
    EXPECT_EQ(tables.levelCount(2), 0);
}

TEST(StoragePlan, LevelsSizedExactlyFromTheirCounts) {
    const StoragePlan plan = planStorage(8, {});
    EXPECT_EQ(plan.levelCapacities, (std::vector<std::int64_t>{1, 7, 14, 14, 8, 4, 2, 1}));
    // Levels 2 and 3, four bytes a record.
    EXPECT_EQ(plan.levelBytes, 4u * (14 + 14));
    EXPECT_EQ(plan.termSetRows, unlimitedTermSetRows);
    EXPECT_EQ(plan.termSetHeadroomRows, 16384);
    EXPECT_EQ(plan.termSetBytes, plan.termSets * TermSet::bytesFor(16384, 8));
    EXPECT_EQ(plan.totalBytes(), plan.levelBytes + plan.termSetBytes);

    StorageSettings fixed;
    fixed.recordLimit = 50;
    fixed.termSetRows = 16;
    const StoragePlan limited = planStorage(8, fixed);
    EXPECT_EQ(limited.levelCapacities, std::vector<std::int64_t>(8, 50));
    EXPECT_EQ(limited.termSetRows, 16);
    EXPECT_EQ(limited.termSetHeadroomRows, 16);
}

TEST(StoragePlan, LargeDegrees) {
    // The headroom follows the largest level, 1476698773 generators at
    // t = 56, whose pair with its neighbour, 2877701928 records, takes
    // 11.5 GB.
    EXPECT_EQ(termSetHeadroomRows(BasisCounts(56)), (1476698773 + 511) / 512);
    StorageSettings one;
    one.threads = 1;
    const StoragePlan plan = planStorage(56, one);
    EXPECT_EQ(plan.levelBytes, std::uint64_t{4} * 2877701928u);
    EXPECT_LT(plan.termSetBytes, plan.levelBytes / 20);
    // The largest degree taken needs more than this machine of 24 GiB has.
    EXPECT_GT(planStorage(maxTotalDegree, one).totalBytes(), 25000000000u);
}

} // namespace
} // namespace curtis
