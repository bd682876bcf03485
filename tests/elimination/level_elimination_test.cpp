#include "support/levels.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace curtis {
namespace {

using testing::printed;
using testing::stored;
using testing::Word;

// The levels with lookups of printed words.
class Levels : public testing::Levels {
public:
    Levels(int t, std::int32_t w, std::int32_t termSetRows = 200)
        : testing::Levels(t, w, 1, termSetRows) {}

    std::int64_t find(int level, const Word& word) {
        const std::int64_t index =
            findGenerator(tables().table(level), stored(word, weight()).data());
        EXPECT_GE(index, 0);
        return index < 0 ? 0 : index;
    }
    GeneratorState state(int level, const Word& word) {
        return tables().table(level).state(find(level, word));
    }
    Word tag(int level, const Word& word) {
        return printed(tables().table(level).tag(find(level, word)), level, weight());
    }
};

TEST(FindGenerator, BinarySearchOverTheNextLevel) {
    Levels run(6, 0);
    run.build(1);
    run.build(2);
    const std::vector<Word> level2{{3, 0, 0}, {2, 1, 0}, {1, 2, 0}, {1, 1, 1},
                                   {0, 3, 0}, {0, 2, 1}, {0, 1, 2}};
    const LevelTable table = run.tables().table(2);
    for (std::size_t i = 0; i < level2.size(); ++i) {
        EXPECT_EQ(findGenerator(table, stored(level2[i]).data()), static_cast<int>(i));
    }
    for (const Word& absent : {Word{4, 0, 0}, Word{0, 0, 3}, Word{1, 1, 2}, Word{0, 9, 9}}) {
        EXPECT_EQ(findGenerator(table, stored(absent).data()), -1);
    }
    // A single-record level: (0, 0, 0, 0, 0, 0) at level 5.
    for (int L = 3; L <= 5; ++L) {
        run.build(L);
    }
    EXPECT_EQ(findGenerator(run.tables().table(5), stored({0, 0, 0, 0, 0, 0}).data()), 0);
}

TEST(FindGenerator, StartingFromAnyHintGivesTheSameRecord) {
    Levels run(14, 1);
    for (int L = 1; L <= 5; ++L) {
        run.build(L);
    }
    const LevelTable table = run.tables().table(5);
    const std::int64_t count = table.count;
    ASSERT_GT(count, 100);
    for (std::int64_t i = 0; i < count; ++i) {
        const Entry* z = table.word(i);
        for (std::int64_t hint : {std::int64_t{0}, count - 1, count / 2, i, i - 1, i + 1, i - 7,
                                  i + 30, std::int64_t{-5}, count + 9}) {
            ASSERT_EQ(findGenerator(table, z, hint), i) << "record " << i << " hint " << hint;
        }
    }
    for (const Word& absent : {Word{13, 0, 0, 0, 0, 0}, Word{0, 0, 0, 3, 0, 0},
                               Word{-1, 9, 1, 1, 0, 0}, Word{3, 1, 2, 0, 5, 0}}) {
        for (std::int64_t hint : {std::int64_t{0}, count / 3, count - 1}) {
            EXPECT_EQ(findGenerator(table, stored(absent, 1).data(), hint), -1);
        }
    }
}

TEST(EliminateLevel, SmallestWordClaimsFirstAndRetracedTagsCancel) {
    Levels run(6, 1);
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
    const LevelTable two = run.tables().table(2);
    for (std::int64_t i = 0; i < two.count; ++i) {
        hits += two.state(i) == Hit ? 1 : 0;
    }
    EXPECT_EQ(hits, 3);
}

TEST(EliminateLevel, RetracingReachesATermOutsideTheOwnBoundary) {
    Levels run(9, 4);
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
    Levels run(3, 0, 0);
    run.build(1);
    run.build(2);
    const LevelTable one = run.tables().table(1);
    one.state(0) = Hit;
    one.state(1) = Hit;
    EXPECT_EQ(run.set().rowLimit(), 0);
    EXPECT_EQ(eliminateLevel(one, run.tables().table(2), 0, run.set()), EliminationStatus::Ok);
    EXPECT_EQ(run.tables().table(2).state(0), Alive);
}

TEST(EliminateLevel, TooFewTermSetRowsIsReported) {
    Levels tight(5, 0, 1); // the boundary of (4) has two terms
    EXPECT_EQ(tight.step(0), EliminationStatus::TermSetFull);
    Levels roomy(5, 0, 2);
    EXPECT_EQ(roomy.step(0), EliminationStatus::Ok);
}

TEST(EliminateLevel, AMissingLeadingTermIsReported) {
    Levels run(6, 0);
    run.build(1);
    // Drop the word (3, 1) that (5)'s boundary leads to.
    LevelTable one = run.tables().table(1);
    for (std::int64_t i = 1; i + 1 < one.count; ++i) {
        copyMonomial(one.word(i), one.word(i + 1), 2);
    }
    --one.count;
    EXPECT_EQ(eliminateLevel(run.tables().table(0), one, 0, run.set()),
              EliminationStatus::LeadingTermMissing);
}

} // namespace
} // namespace curtis
