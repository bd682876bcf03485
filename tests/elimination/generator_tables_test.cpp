#include "elimination/generator_tables.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace curtis {
namespace {

TEST(Capacity, StepsOfTheRule) {
    EXPECT_EQ(capacityForDegree(1), 10000);
    EXPECT_EQ(capacityForDegree(25), 10000);
    EXPECT_EQ(capacityForDegree(26), 100000);
    EXPECT_EQ(capacityForDegree(31), 100000);
    EXPECT_EQ(capacityForDegree(32), 670000);
    EXPECT_EQ(capacityForDegree(36), 670000);
    EXPECT_EQ(capacityForDegree(37), 984900);
    EXPECT_EQ(capacityForDegree(38), 1447803);
    EXPECT_EQ(capacityForDegree(39), 2128270);
    EXPECT_EQ(capacityForDegree(40), 3128556);
    // Truncation after every step, not once at the end.
    EXPECT_NE(capacityForDegree(40), static_cast<std::int64_t>(670000 * 1.47 * 1.47 * 1.47 * 1.47));
    // Still inside the 32-bit counts at the largest degree the program takes.
    EXPECT_LT(capacityForDegree(56), std::int64_t{1} << 31);
}

TEST(Capacity, TermSetRows) {
    EXPECT_EQ(capacityForDegree(25) / 3, 3333);
    EXPECT_EQ(capacityForDegree(31) / 3, 33333);
    EXPECT_EQ(capacityForDegree(36) / 3, 223333);
    EXPECT_EQ(capacityForDegree(37) / 3, 328300);
}

TEST(GeneratorTables, CreatedEmptyAndSized) {
    GeneratorTables tables;
    ASSERT_EQ(createGeneratorTables(tables, 1, capacityForDegree(1)), CreateStatus::Ok);
    EXPECT_EQ(tables.t, 1);
    EXPECT_EQ(tables.capacity, 10000);
    EXPECT_EQ(tables.levelCount[0], 0);
    EXPECT_EQ(tables.termSet.rowLimit, 3333);
    EXPECT_EQ(tables.termSet.rowCount, 0);
    EXPECT_EQ(tables.table(0).states + 10000, tables.table(1).states);
    releaseGeneratorTables(tables);
    EXPECT_EQ(tables.wordsAndTags, nullptr);
    releaseGeneratorTables(tables); // releasing twice is harmless

    ASSERT_EQ(createGeneratorTables(tables, 9, 50), CreateStatus::Ok);
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(tables.levelCount[k], 0);
    }
    EXPECT_EQ(tables.termSet.rowLimit, 16);
    // Every level packs its words: level k uses k + 1 entries per record.
    EXPECT_EQ(tables.word(3, 1) - tables.word(3, 0), 4);
    EXPECT_EQ(tables.word(4, 0), tables.word(2, 0)); // levels 2 and 4 share table 0
    releaseGeneratorTables(tables);
}

TEST(GeneratorTables, StorageBytesCountEveryBuffer) {
    // A state and a word and a tag of 40 entries per record, in two tables;
    // levelCount and the two working monomials; 1042852 term-set rows of 40
    // entries with a hash and a pair range each, and an index of 2^21 slots.
    const std::uint64_t perRecord = 4 + 2 * 40 * 4;
    const std::uint64_t rows = 3128556 / 3;
    const std::uint64_t expected =
        2 * 3128556ull * perRecord + 3 * 40 * 4 + rows * (40 * 4 + 4 + 2) + (1ull << 21) * 4;
    EXPECT_EQ(storageBytes(40, capacityForDegree(40)), expected);
    // Large degrees need more than any machine has, without overflowing.
    EXPECT_GT(storageBytes(56, capacityForDegree(56)), std::uint64_t{1} << 40);
}

TEST(GeneratorTables, LevelsAlternateBetweenTheTwoTables) {
    GeneratorTables tables;
    ASSERT_EQ(createGeneratorTables(tables, 4, 3), CreateStatus::Ok);
    const std::vector<int> a{3, 0, 0}, b{2, 1, 0}, c{1, 1, 1, 0}, d{9};
    EXPECT_TRUE(appendGenerator(tables, 0, d.data()));
    EXPECT_TRUE(appendGenerator(tables, 1, a.data()));
    EXPECT_TRUE(appendGenerator(tables, 2, a.data()));
    EXPECT_TRUE(appendGenerator(tables, 2, b.data()));
    // Level 2 overwrote level 0's record 0 in table 0; level 1 is untouched.
    EXPECT_EQ(tables.word(0, 0)[0], 3);
    EXPECT_EQ(tables.word(2, 1)[1], 1);
    EXPECT_EQ(tables.word(1, 0)[0], 3);
    EXPECT_EQ(tables.state(2, 1), Alive);
    EXPECT_EQ(tables.levelCount[0], 1);
    EXPECT_EQ(tables.levelCount[2], 2);
    EXPECT_TRUE(appendGenerator(tables, 3, c.data()));
    EXPECT_TRUE(appendGenerator(tables, 3, c.data()));
    EXPECT_TRUE(appendGenerator(tables, 3, c.data()));
    EXPECT_FALSE(appendGenerator(tables, 3, c.data())); // full at capacity 3
    EXPECT_EQ(tables.levelCount[3], 3);
    releaseGeneratorTables(tables);
}

} // namespace
} // namespace curtis
