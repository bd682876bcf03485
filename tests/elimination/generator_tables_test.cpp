#include "algebra/term_set.hpp"
#include "elimination/computation.hpp"
#include "elimination/generator_tables.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace curtis {
namespace {

TEST(GeneratorTables, TheBlockHoldsTheLargestPairOfAdjacentLevels) {
    // Level k takes 2k + 2 bytes per record.
    EXPECT_EQ(GeneratorTables::blockBytes({1}), 2u);
    EXPECT_EQ(GeneratorTables::blockBytes({1, 5, 7, 4}),
              std::max({2u + 20u, 20u + 42u, 42u + 32u}));
    EXPECT_EQ(GeneratorTables::blockBytes({}), 0u);
}

TEST(GeneratorTables, EvenLevelsAtTheFrontOddLevelsAtTheEnd) {
    GeneratorTables tables;
    ASSERT_TRUE(tables.allocate({1, 2, 2, 3}));
    EXPECT_EQ(tables.levels(), 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(tables.levelCount(k), 0);
    }
    const Entry top[] = {3};
    const Entry a[] = {2, 0}, b[] = {1, 1};
    const Entry c[] = {1, 0, 0}, d[] = {0, 1, 0};
    ASSERT_TRUE(tables.append(0, top));
    ASSERT_TRUE(tables.append(1, a));
    ASSERT_TRUE(tables.append(1, b));
    EXPECT_FALSE(tables.append(1, b)); // full at its capacity of 2
    EXPECT_EQ(tables.levelCount(1), 2);
    tables.table(1).state(0) = Hit;
    copyMonomial(tables.table(1).tag(0), top, 1);
    // Level 2 overwrites level 0 and leaves level 1 as it was.
    ASSERT_TRUE(tables.append(2, c));
    ASSERT_TRUE(tables.append(2, d));
    const LevelTable zero = tables.table(0);
    const LevelTable one = tables.table(1);
    const LevelTable two = tables.table(2);
    EXPECT_EQ(zero.words, two.words);
    EXPECT_EQ(two.word(1)[1], 1);
    EXPECT_EQ(two.state(1), Alive);
    EXPECT_EQ(one.count, 2);
    EXPECT_EQ(one.word(0)[0], 2);
    EXPECT_EQ(one.word(1)[1], 1);
    EXPECT_EQ(one.state(0), Hit);
    EXPECT_EQ(one.tag(0)[0], 3);
    EXPECT_EQ(one.state(1), Alive);
    // Level 3 ends where the block ends and does not reach level 2.
    const LevelTable three = tables.table(3);
    EXPECT_GE(reinterpret_cast<const Entry*>(three.words),
              reinterpret_cast<const Entry*>(two.states + 2));
}

TEST(StoragePlan, LevelsSizedExactlyFromTheirCounts) {
    const StoragePlan plan = planStorage(8, {});
    EXPECT_EQ(plan.levelCapacities, (std::vector<std::int64_t>{1, 7, 14, 14, 8, 4, 2, 1}));
    // Levels 2 and 3: 14 * 6 + 14 * 8 bytes.
    EXPECT_EQ(plan.levelBytes, 14u * 6 + 14u * 8);
    EXPECT_EQ(plan.termSetRows, 1024);
    EXPECT_EQ(plan.termSetBytes, plan.termSets * TermSet::bytesFor(1024, 8));
    EXPECT_EQ(plan.totalBytes(), plan.levelBytes + plan.termSetBytes);

    ComputationSettings fixed;
    fixed.recordLimit = 50;
    fixed.termSetRows = 16;
    const StoragePlan limited = planStorage(8, fixed);
    EXPECT_EQ(limited.levelCapacities, std::vector<std::int64_t>(8, 50));
    EXPECT_EQ(limited.termSetRows, 16);
}

TEST(StoragePlan, LargeDegrees) {
    // The term set follows the largest level, 21096220 generators at t = 45.
    EXPECT_EQ(termSetRowsFor(BasisCounts(45)), (21096220 + 63) / 64);
    const StoragePlan plan = planStorage(45, {});
    EXPECT_GT(plan.levelBytes, 1200000000u);
    EXPECT_LT(plan.totalBytes(), 1300000000u);
    // The largest degree needs more than a machine of 24 GiB has, and the
    // figures stay exact.
    EXPECT_GT(planStorage(56, {}).totalBytes(), 100000000000u);
}

} // namespace
} // namespace curtis
