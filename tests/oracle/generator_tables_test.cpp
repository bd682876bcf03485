#include "oracle/generator_tables.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace curtis::oracle {
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

} // namespace
} // namespace curtis::oracle
