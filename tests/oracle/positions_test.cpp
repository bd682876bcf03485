// Positions against the enumeration, which lists each level's basis in the
// chart's order by construction.
#include "oracle/positions.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace curtis::oracle {
namespace {

using Stored = std::vector<Entry>;

Stored wordAt(const BasisPositions& basis, int L, std::int64_t position) {
    Stored word(static_cast<std::size_t>(L + 1));
    basis.wordAt(L, position, word.data());
    return word;
}

// Every word of every level up to t = 20: its position is its place in the
// enumeration, the word at that place is itself, its cell is its first
// entry, and its neighbours in either order are the enumeration's.
TEST(Positions, PositionAndWordAreInverseOnEveryGenerator) {
    for (int t = 1; t <= 20; ++t) {
        const BasisPositions basis(t);
        for (int L = 0; L < t; ++L) {
            std::vector<Stored> words;
            enumerateLevel(t, L, [&](const Entry* word) {
                words.emplace_back(word, word + L + 1);
                return true;
            });
            ASSERT_EQ(static_cast<std::int64_t>(words.size()), basis.levelSize(L));
            for (std::size_t i = 0; i < words.size(); ++i) {
                const std::int64_t position = static_cast<std::int64_t>(i);
                ASSERT_EQ(basis.positionOf(L, words[i].data()), position)
                    << "t " << t << " L " << L << " position " << i;
                ASSERT_EQ(wordAt(basis, L, position), words[i]);
                ASSERT_EQ(basis.cellAt(L, position), words[i][0]);
                Stored down = words[i];
                ASSERT_EQ(basis.stepDown(L, down.data()), i + 1 < words.size());
                ASSERT_EQ(down, i + 1 < words.size() ? words[i + 1] : words[i]);
                Stored up = words[i];
                ASSERT_EQ(basis.stepUp(L, up.data()), i > 0);
                ASSERT_EQ(up, i > 0 ? words[i - 1] : words[i]);
            }
        }
    }
}

// A space with a top cell: its levels are the words whose cell lies no
// higher, in the same order, and their positions are read the same way.
TEST(Positions, ATopCellKeepsTheWordsBelowIt) {
    for (int t = 1; t <= 16; ++t) {
        for (int top : {0, 1, 3, 7, t - 2}) {
            if (top < 0) {
                continue;
            }
            const BasisPositions basis(t, top);
            for (int L = 0; L < t; ++L) {
                std::vector<Stored> words;
                enumerateLevel(t, L, [&](const Entry* word) {
                    if (word[0] <= top) {
                        words.emplace_back(word, word + L + 1);
                    } else {
                        EXPECT_EQ(basis.positionOf(L, word), BasisPositions::notAGenerator);
                    }
                    return true;
                });
                std::vector<Stored> below;
                enumerateLevel(
                    t, L,
                    [&](const Entry* word) {
                        below.emplace_back(word, word + L + 1);
                        return true;
                    },
                    top);
                ASSERT_EQ(below, words) << "t " << t << " top " << top << " L " << L;
                ASSERT_EQ(static_cast<std::int64_t>(words.size()), basis.levelSize(L));
                for (std::size_t i = 0; i < words.size(); ++i) {
                    const std::int64_t position = static_cast<std::int64_t>(i);
                    ASSERT_EQ(basis.positionOf(L, words[i].data()), position);
                    ASSERT_EQ(wordAt(basis, L, position), words[i]);
                    Stored up = words[i];
                    ASSERT_EQ(basis.stepUp(L, up.data()), i > 0) << "t " << t << " top " << top;
                    ASSERT_EQ(up, i > 0 ? words[i - 1] : words[i]);
                }
            }
        }
    }
}

// The largest degree taken, where levels hold billions of words: random
// positions of every level, each read back and stepped from.
TEST(Positions, RandomSamplesAtTheLargestDegree) {
    constexpr int t = 58;
    const BasisPositions basis(t);
    std::mt19937_64 random(58);
    for (int L = 0; L < t; ++L) {
        const std::int64_t size = basis.levelSize(L);
        std::uniform_int_distribution<std::int64_t> pick(0, size - 1);
        for (int sample = 0; sample < 200; ++sample) {
            const std::int64_t position = sample == 0 ? 0 : sample == 1 ? size - 1 : pick(random);
            Stored word = wordAt(basis, L, position);
            int sum = 0;
            for (const Entry entry : word) {
                sum += entry;
            }
            ASSERT_EQ(sum, t - 1 - L);
            ASSERT_TRUE(isAdmissible(word.data(), L + 1));
            ASSERT_EQ(basis.positionOf(L, word.data()), position) << "L " << L;
            Stored up = word;
            if (basis.stepUp(L, up.data())) {
                ASSERT_EQ(up, wordAt(basis, L, position - 1));
            } else {
                ASSERT_EQ(position, 0);
            }
            if (basis.stepDown(L, word.data())) {
                ASSERT_EQ(word, wordAt(basis, L, position + 1));
            } else {
                ASSERT_EQ(position, size - 1);
            }
        }
    }
}

TEST(Positions, WordsThatAreNotGeneratorsAreRecognised) {
    const BasisPositions basis(8);
    const std::vector<Stored> outside{
        {0, 1, 3, 0},    // adds up to 8 - 1 - 3, but 3 > 2 * 1
        {0, 1, 0, 3},    // not admissible in the last pair
        {1, 1, 1, 2},    // admissible, but adds up to 5
        {0, 3, 0, 0},    // adds up to 3
        {5, 0, 0, 0},    // the top cell of level 3 is 4
        {9, 0, 0, 0},    // beyond every cell
        {0, 2, 2, 1},    // 2, 2, 1: admissible but adds up to 5
        {0, 1, 2, 4, 0}, // a word of level 4 read as level 3 adds up to 7
    };
    for (const Stored& word : outside) {
        EXPECT_EQ(basis.positionOf(3, word.data()), BasisPositions::notAGenerator)
            << int(word[0]) << " " << int(word[1]) << " " << int(word[2]) << " " << int(word[3]);
    }
    const Stored inside{0, 1, 2, 1};
    EXPECT_GE(basis.positionOf(3, inside.data()), 0);
    // Level 0 has the top cell alone.
    const Stored top{7}, below{6};
    EXPECT_EQ(basis.positionOf(0, top.data()), 0);
    EXPECT_EQ(basis.positionOf(0, below.data()), BasisPositions::notAGenerator);
}

} // namespace
} // namespace curtis::oracle
