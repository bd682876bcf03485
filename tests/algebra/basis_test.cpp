#include "algebra/basis.hpp"
#include "algebra/monomial.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace curtis {
namespace {

using Words = std::vector<std::vector<int>>;

// Enumerates level L for total degree t and weight w into fresh storage and
// returns its words in table order.
Words basisOf(int t, int w, int L, std::int64_t capacity = 0) {
    GeneratorTables tables;
    const std::int64_t records = capacity > 0 ? capacity : capacityForDegree(t);
    EXPECT_EQ(createGeneratorTables(tables, t, records), CreateStatus::Ok);
    Words words;
    if (L == 0) {
        tables.scratchMonomial[0] = t - w - 1;
        appendGenerator(tables, 0, tables.scratchMonomial);
    } else {
        EXPECT_TRUE(enumerateLevel(tables, L, t - w - 1, w));
    }
    for (std::int32_t i = 0; i < tables.levelCount[L]; ++i) {
        EXPECT_EQ(tables.state(L, i), Alive);
        words.emplace_back(tables.word(L, i), tables.word(L, i) + L + 1);
    }
    releaseGeneratorTables(tables);
    return words;
}

// Number of admissible lambda sequences of the given length and sum, counted
// by dynamic programming over the last index, independently of the
// enumeration.
long long countLambdaSequences(int length, int sum) {
    if (length == 0) {
        return sum == 0 ? 1 : 0;
    }
    // ways[s][v]: sequences so far with sum s and last index v.
    std::vector<std::vector<long long>> ways(sum + 1, std::vector<long long>(sum + 1, 0));
    for (int v = 0; v <= sum; ++v) {
        ways[v][v] = 1;
    }
    for (int position = 2; position <= length; ++position) {
        std::vector<std::vector<long long>> next(sum + 1, std::vector<long long>(sum + 1, 0));
        for (int s = 0; s <= sum; ++s) {
            for (int last = 0; last <= s; ++last) {
                if (ways[s][last] == 0) {
                    continue;
                }
                for (int v = 0; v <= 2 * last && s + v <= sum; ++v) {
                    next[s + v][v] += ways[s][last];
                }
            }
        }
        ways.swap(next);
    }
    long long total = 0;
    for (int v = 0; v <= sum; ++v) {
        total += ways[sum][v];
    }
    return total;
}

// Size of level L for total degree t: the cell index c + w runs from 0 to
// t - 1 - L and the lambda part takes the rest of the coweight.
long long levelSize(int t, int L) {
    long long total = 0;
    for (int lambdaSum = 0; lambdaSum <= t - 1 - L; ++lambdaSum) {
        total += countLambdaSequences(L, lambdaSum);
    }
    return total;
}

long long largestLevel(int t) {
    long long largest = 0;
    for (int L = 0; L < t; ++L) {
        largest = std::max(largest, levelSize(t, L));
    }
    return largest;
}

TEST(Basis, SmallDegreesWordByWord) {
    EXPECT_EQ(basisOf(1, 0, 0), (Words{{0}}));
    EXPECT_EQ(basisOf(1, 3, 0), (Words{{-3}}));
    EXPECT_EQ(basisOf(2, 0, 1), (Words{{0, 0}}));
    EXPECT_EQ(basisOf(2, 7, 1), (Words{{-7, 0}}));
    EXPECT_EQ(basisOf(3, 0, 1), (Words{{1, 0}, {0, 1}}));
    EXPECT_EQ(basisOf(3, 0, 2), (Words{{0, 0, 0}}));
}

TEST(Basis, DegreeSixWeightZero) {
    EXPECT_EQ(basisOf(6, 0, 1), (Words{{4, 0}, {3, 1}, {2, 2}, {1, 3}, {0, 4}}));
    EXPECT_EQ(basisOf(6, 0, 2),
              (Words{{3, 0, 0}, {2, 1, 0}, {1, 2, 0}, {1, 1, 1}, {0, 3, 0}, {0, 2, 1}, {0, 1, 2}}));
    const std::vector<std::size_t> sizes{1, 5, 7, 4, 2, 1};
    for (int L = 0; L < 6; ++L) {
        EXPECT_EQ(basisOf(6, 0, L).size(), sizes[L]) << "level " << L;
    }
}

TEST(Basis, PositiveAndNegativeWeights) {
    EXPECT_EQ(basisOf(5, 1, 1), (Words{{2, 0}, {1, 1}, {0, 2}, {-1, 3}}));
    EXPECT_EQ(basisOf(5, 1, 2), (Words{{1, 0, 0}, {0, 1, 0}, {-1, 2, 0}, {-1, 1, 1}}));
    EXPECT_EQ(basisOf(5, 1, 3), (Words{{0, 0, 0, 0}, {-1, 1, 0, 0}}));
    EXPECT_EQ(basisOf(5, 1, 4), (Words{{-1, 0, 0, 0, 0}}));
    EXPECT_EQ(basisOf(5, -1, 1), (Words{{4, 0}, {3, 1}, {2, 2}, {1, 3}}));
}

TEST(Basis, LevelSizesDependOnTheDegreeOnly) {
    const std::vector<std::size_t> sizes{1, 7, 14, 14, 8, 4, 2, 1};
    for (int w : {-5, -1, 0, 1, 3, 40}) {
        for (int L = 0; L < 8; ++L) {
            EXPECT_EQ(basisOf(8, w, L).size(), sizes[L]) << "w " << w << " level " << L;
        }
    }
}

// Every level for a range of degrees and weights: the expected count, each
// word a basis element, the order strictly decreasing, the last level the
// single word (-w, 0, ..., 0).
TEST(Basis, EveryLevelIsTheWholeAdmissibleBasisInDecreasingOrder) {
    for (int t = 1; t <= 14; ++t) {
        for (int w : {-3, 0, 2, 5}) {
            const int c0 = t - w - 1;
            for (int L = 1; L < t; ++L) {
                const Words words = basisOf(t, w, L, levelSize(t, L) + 1);
                ASSERT_EQ(static_cast<long long>(words.size()), levelSize(t, L))
                    << "t " << t << " w " << w << " level " << L;
                for (std::size_t i = 0; i < words.size(); ++i) {
                    const std::vector<int>& word = words[i];
                    int sum = 0;
                    for (int entry : word) {
                        sum += entry;
                    }
                    EXPECT_EQ(sum, c0 - L);
                    EXPECT_GE(word[0], -w);
                    EXPECT_TRUE(std::all_of(word.begin() + 1, word.end(),
                                            [](int entry) { return entry >= 0; }));
                    EXPECT_TRUE(isAdmissible(word.data(), L + 1));
                    if (i > 0) {
                        EXPECT_EQ(compareMonomials(words[i - 1].data(), word.data(), L + 1), 1);
                    }
                }
                EXPECT_EQ(words.front()[0], c0 - L);
                EXPECT_EQ(words.back()[0], -w);
            }
            std::vector<int> last(t, 0);
            last[0] = -w;
            EXPECT_EQ(basisOf(t, w, t - 1), Words{last});
        }
    }
}

TEST(Basis, LargestLevelsOfLargeDegrees) {
    EXPECT_EQ(largestLevel(25), 9925);
    EXPECT_EQ(largestLevel(31), 96792);
    EXPECT_EQ(largestLevel(36), 669996);
    EXPECT_EQ(largestLevel(37), 976387);
    EXPECT_EQ(largestLevel(40), 3099173);
    // The enumeration itself at the largest levels of 25 and 31.
    EXPECT_EQ(basisOf(25, 0, 8).size(), 9925u);
    EXPECT_EQ(basisOf(31, -2, 9).size(), 96792u);
}

TEST(Basis, LongMonomialsOfALargeDegree) {
    // Levels whose words have more than 32 entries, word by word against the
    // count and the shape of the last level.
    for (int L = 30; L < 40; ++L) {
        const Words words = basisOf(40, 3, L, levelSize(40, L) + 1);
        EXPECT_EQ(static_cast<long long>(words.size()), levelSize(40, L)) << "level " << L;
        for (const std::vector<int>& word : words) {
            EXPECT_TRUE(isAdmissible(word.data(), L + 1));
        }
    }
}

TEST(Basis, ALevelLargerThanItsTableIsRefused) {
    GeneratorTables tables;
    ASSERT_EQ(createGeneratorTables(tables, 6, 6), CreateStatus::Ok);
    EXPECT_TRUE(enumerateLevel(tables, 1, 5, 0)); // 5 words fit 6 records
    EXPECT_EQ(tables.levelCount[1], 5);
    EXPECT_FALSE(enumerateLevel(tables, 2, 5, 0)); // 7 words do not
    EXPECT_EQ(tables.levelCount[2], 6);
    // Table 0 ends where table 1 begins: level 1 is untouched.
    EXPECT_EQ(tables.word(1, 0)[0], 4);
    EXPECT_EQ(tables.word(1, 0)[1], 0);
    releaseGeneratorTables(tables);
}

} // namespace
} // namespace curtis
