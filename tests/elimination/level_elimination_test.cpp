#include "algebra/basis.hpp"
#include "elimination/level_elimination.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace curtis {
namespace {

using Word = std::vector<std::int32_t>;

// Storage for total degree t and weight w with level 0 seeded, freed at the end.
class Computation {
public:
    Computation(int t, int w, std::int64_t capacity = 200) : w_(w), c0_(t - w - 1) {
        EXPECT_EQ(createGeneratorTables(tables_, t, capacity), CreateStatus::Ok);
        tables_.scratchMonomial[0] = c0_;
        appendGenerator(tables_, 0, tables_.scratchMonomial);
    }
    ~Computation() { releaseGeneratorTables(tables_); }
    Computation(const Computation&) = delete;
    Computation& operator=(const Computation&) = delete;

    // Enumerates level k + 1 and eliminates level k.
    EliminationStatus step(int k) {
        EXPECT_TRUE(enumerateLevel(tables_, k + 1, c0_, w_));
        return eliminateLevel(tables_, k, w_);
    }

    GeneratorRecord record(int level, const Word& word) {
        const std::int32_t index = level == 0 ? 0 : findGenerator(tables_, level - 1, word.data());
        EXPECT_GE(index, 0);
        return tables_.record(level, index < 0 ? 0 : index);
    }

    std::int32_t state(int level, const Word& word) { return *record(level, word).state; }

    Word tag(int level, const Word& word) {
        const GeneratorRecord r = record(level, word);
        return Word(r.tag, r.tag + level);
    }

    GeneratorTables& tables() { return tables_; }

private:
    GeneratorTables tables_;
    int w_;
    int c0_;
};

TEST(FindGenerator, BinarySearchOverTheNextLevel) {
    Computation run(6, 0);
    ASSERT_TRUE(enumerateLevel(run.tables(), 1, 5, 0));
    ASSERT_TRUE(enumerateLevel(run.tables(), 2, 5, 0));
    const std::vector<Word> level2{{3, 0, 0}, {2, 1, 0}, {1, 2, 0}, {1, 1, 1},
                                   {0, 3, 0}, {0, 2, 1}, {0, 1, 2}};
    for (std::size_t i = 0; i < level2.size(); ++i) {
        EXPECT_EQ(findGenerator(run.tables(), 1, level2[i].data()), static_cast<int>(i));
    }
    for (const Word& absent : {Word{4, 0, 0}, Word{0, 0, 3}, Word{1, 1, 2}, Word{-1, 9, 9}}) {
        EXPECT_EQ(findGenerator(run.tables(), 1, absent.data()), -1);
    }
    // A single-record level: (0, 0, 0, 0, 0, 0) at level 5.
    for (int L = 3; L <= 5; ++L) {
        ASSERT_TRUE(enumerateLevel(run.tables(), L, 5, 0));
    }
    const Word last{0, 0, 0, 0, 0, 0};
    EXPECT_EQ(findGenerator(run.tables(), 4, last.data()), 0);
}

TEST(FindGenerator, StartingFromAnyHintGivesTheSameRecord) {
    Computation run(14, 1, 2000);
    for (int L = 1; L <= 5; ++L) {
        ASSERT_TRUE(enumerateLevel(run.tables(), L, 12, 1));
    }
    const GeneratorTables& tables = run.tables();
    const std::int32_t count = tables.levelCount[5];
    ASSERT_GT(count, 100);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t* z = tables.word(5, i);
        for (std::int32_t hint :
             {0, count - 1, count / 2, i, i - 1, i + 1, i - 7, i + 30, -5, count + 9}) {
            ASSERT_EQ(findGenerator(tables, 4, z, hint), i) << "record " << i << " hint " << hint;
        }
    }
    for (const Word& absent : {Word{13, 0, 0, 0, 0, 0}, Word{0, 0, 0, 3, 0, 0},
                               Word{-2, 9, 1, 1, 0, 0}, Word{3, 1, 2, 0, 5, 0}}) {
        for (std::int32_t hint : {0, count / 3, count - 1}) {
            EXPECT_EQ(findGenerator(tables, 4, absent.data(), hint), -1);
        }
    }
}

TEST(EliminateLevel, SmallestWordClaimsFirstAndRetracedTagsCancel) {
    Computation run(6, 1);
    ASSERT_EQ(run.step(0), EliminationStatus::Ok);
    EXPECT_EQ(run.state(0, {4}), Source);
    EXPECT_EQ(run.state(1, {3, 0}), Hit);
    EXPECT_EQ(run.tag(1, {3, 0}), (Word{4}));

    ASSERT_EQ(run.step(1), EliminationStatus::Ok);
    EXPECT_EQ(run.state(1, {-1, 4}), Source);
    EXPECT_EQ(run.state(1, {0, 3}), Source);
    EXPECT_EQ(run.state(1, {1, 2}), Source);
    EXPECT_EQ(run.state(1, {2, 1}), Alive); // its boundary cancels against (0, 3)'s
    EXPECT_EQ(run.state(1, {3, 0}), Hit);
    EXPECT_EQ(run.tag(2, {-1, 3, 0}), (Word{-1, 4}));
    EXPECT_EQ(run.tag(2, {-1, 2, 1}), (Word{0, 3}));
    EXPECT_EQ(run.tag(2, {1, 1, 0}), (Word{1, 2}));
    int hits = 0;
    for (std::int32_t i = 0; i < run.tables().levelCount[2]; ++i) {
        hits += run.tables().state(2, i) == Hit ? 1 : 0;
    }
    EXPECT_EQ(hits, 3);
}

TEST(EliminateLevel, RetracingReachesATermOutsideTheOwnBoundary) {
    Computation run(9, 4);
    ASSERT_EQ(run.step(0), EliminationStatus::Ok);
    ASSERT_EQ(run.step(1), EliminationStatus::Ok);
    EXPECT_EQ(run.tag(2, {-1, 2, 1}), (Word{0, 3}));
    EXPECT_EQ(run.tag(2, {-2, 3, 1}), (Word{-2, 5}));
    EXPECT_EQ(run.state(1, {2, 1}), Source);
    EXPECT_EQ(run.state(2, {-4, 3, 3}), Hit);
    EXPECT_EQ(run.tag(2, {-4, 3, 3}), (Word{2, 1}));
}

TEST(EliminateLevel, ALevelOfHitGeneratorsNeedsNoBoundary) {
    // With no term-set rows at all any boundary would fail, so success shows
    // that none was formed.
    GeneratorTables tables;
    ASSERT_EQ(createGeneratorTables(tables, 3, 2), CreateStatus::Ok);
    const Word top{1, 0}, bottom{0, 1}, last{0, 0, 0};
    appendGenerator(tables, 1, top.data());
    appendGenerator(tables, 1, bottom.data());
    appendGenerator(tables, 2, last.data());
    tables.state(1, 0) = Hit;
    tables.state(1, 1) = Hit;
    EXPECT_EQ(tables.termSet.rowLimit, 0);
    EXPECT_EQ(eliminateLevel(tables, 1, 0), EliminationStatus::Ok);
    EXPECT_EQ(tables.state(2, 0), Alive);
    releaseGeneratorTables(tables);
}

TEST(EliminateLevel, TooFewTermSetRowsIsReported) {
    Computation tight(5, 0, 5); // one term-set row; the boundary of (4) has two terms
    EXPECT_EQ(tight.step(0), EliminationStatus::TermSetFull);
    Computation roomy(5, 0, 6); // two rows are enough
    EXPECT_EQ(roomy.step(0), EliminationStatus::Ok);
}

TEST(EliminateLevel, AMissingLeadingTermIsReported) {
    Computation run(6, 0);
    ASSERT_TRUE(enumerateLevel(run.tables(), 1, 5, 0));
    // Drop the word (3, 1) that (5)'s boundary leads to.
    GeneratorTables& tables = run.tables();
    for (std::int32_t i = 1; i + 1 < tables.levelCount[1]; ++i) {
        std::copy(tables.word(1, i + 1), tables.word(1, i + 1) + 2, tables.word(1, i));
    }
    --tables.levelCount[1];
    EXPECT_EQ(eliminateLevel(tables, 0, 0), EliminationStatus::LeadingTermMissing);
}

} // namespace
} // namespace curtis
