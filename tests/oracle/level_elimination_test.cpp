#include "support/levels.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace curtis::oracle {
namespace {

using testing::printed;
using testing::stored;
using testing::Word;

// The levels with lookups of printed words.
class Levels : public testing::Levels {
public:
    Levels(int t, std::int32_t w, std::int32_t termSetRows = 200)
        : testing::Levels(t, w, termSetRows) {}

    std::int64_t find(int level, const Word& word) {
        const std::int64_t index = basis().positionOf(level, stored(word, weight()).data());
        EXPECT_GE(index, 0);
        return index < 0 ? 0 : index;
    }
    GeneratorState state(int level, const Word& word) {
        return tables().table(level).state(find(level, word));
    }
    Word tag(int level, const Word& word) {
        Entry tagWord[maxMonomialLength];
        basis().wordAt(level - 1, tables().table(level).tag(find(level, word)), tagWord);
        return printed(tagWord, level, weight());
    }
};

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
    one.markHit(0, 0);
    one.markHit(1, 0);
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
    // The boundary of (3) with weight 1 leads to (-1, 3), the last word of
    // level 1: a level one record short does not have it.
    Levels run(5, 1);
    run.build(1);
    LevelTable one = run.tables().table(1);
    ASSERT_EQ(one.count - 1, run.find(1, {-1, 3}));
    --one.count;
    EXPECT_EQ(eliminateLevel(run.tables().table(0), one, 1, run.set()),
              EliminationStatus::LeadingTermMissing);
    ++one.count;
    EXPECT_EQ(eliminateLevel(run.tables().table(0), one, 1, run.set()), EliminationStatus::Ok);
    EXPECT_EQ(run.state(1, {-1, 3}), Hit);
}

// Term sets that start with one row and grow as the boundaries need leave
// exactly the states and tags of sets that start large.
TEST(EliminateLevel, TermSetsThatStartWithOneRowGiveTheSameStates) {
    for (std::int32_t w : {-2, 0, 3}) {
        testing::Levels roomy(24, w);
        testing::Levels growing(24, w, -1, 1);
        for (int k = 0; k + 1 < 24; ++k) {
            ASSERT_EQ(roomy.step(k), EliminationStatus::Ok);
            ASSERT_EQ(growing.step(k), EliminationStatus::Ok);
            const LevelTable a = roomy.tables().table(k);
            const LevelTable b = growing.tables().table(k);
            ASSERT_TRUE(std::equal(a.records, a.records + a.count, b.records))
                << "w " << w << " level " << k;
        }
        EXPECT_GT(growing.set().rowCapacity(), 1);
    }
}

} // namespace
} // namespace curtis::oracle
