#include "oracle/basis.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace curtis::oracle {
namespace {

using testing::Word;
using testing::Words;

// The basis of level L for total degree t, printed for weight w, in the
// order of the enumeration.
Words basisOf(int t, std::int32_t w, int L) {
    Words words;
    enumerateLevel(t, L, [&](const Entry* word) {
        words.push_back(testing::printed(word, L + 1, w));
        return true;
    });
    return words;
}

// Admissible lambda sequences by length, last index and sum, for sums up to
// 57, counted forwards (each index at most twice the one before), apart from
// the counting table of the program, which counts completions backwards.
class LambdaSequences {
public:
    static constexpr int largest = 57;

    LambdaSequences() : ways_(size_t(largest + 1) * (largest + 1) * (largest + 1), 0) {
        for (int v = 0; v <= largest; ++v) {
            at(1, v, v) = 1;
        }
        for (int length = 2; length <= largest; ++length) {
            for (int last = 0; last <= largest; ++last) {
                for (int sum = 0; sum <= largest; ++sum) {
                    const long long ways = at(length - 1, last, sum);
                    for (int v = 0; ways != 0 && v <= 2 * last && sum + v <= largest; ++v) {
                        at(length, v, sum + v) += ways;
                    }
                }
            }
        }
    }

    // Sequences of the given length and sum; the empty one for length 0.
    long long count(int length, int sum) const {
        if (length == 0) {
            return sum == 0 ? 1 : 0;
        }
        long long total = 0;
        for (int last = 0; last <= largest; ++last) {
            total += ways_[index(length, last, sum)];
        }
        return total;
    }

    // Size of level L for total degree t: the cell offset runs from 0 to
    // t - 1 - L and the lambda indices take the rest.
    long long levelSize(int t, int L) const {
        long long total = 0;
        for (int lambdaSum = 0; lambdaSum <= t - 1 - L; ++lambdaSum) {
            total += count(L, lambdaSum);
        }
        return total;
    }

private:
    static std::size_t index(int length, int last, int sum) {
        return (std::size_t(length) * (largest + 1) + std::size_t(last)) * (largest + 1) +
               std::size_t(sum);
    }
    long long& at(int length, int last, int sum) { return ways_[index(length, last, sum)]; }

    std::vector<long long> ways_;
};

const LambdaSequences& sequences() {
    static const LambdaSequences table;
    return table;
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
        EXPECT_EQ(basisOf(6, 0, L).size(), sizes[static_cast<std::size_t>(L)]) << "level " << L;
    }
}

TEST(Basis, PositiveAndNegativeWeights) {
    EXPECT_EQ(basisOf(5, 1, 1), (Words{{2, 0}, {1, 1}, {0, 2}, {-1, 3}}));
    EXPECT_EQ(basisOf(5, 1, 2), (Words{{1, 0, 0}, {0, 1, 0}, {-1, 2, 0}, {-1, 1, 1}}));
    EXPECT_EQ(basisOf(5, 1, 3), (Words{{0, 0, 0, 0}, {-1, 1, 0, 0}}));
    EXPECT_EQ(basisOf(5, 1, 4), (Words{{-1, 0, 0, 0, 0}}));
    EXPECT_EQ(basisOf(5, -1, 1), (Words{{4, 0}, {3, 1}, {2, 2}, {1, 3}}));
}

// Every level for a range of degrees and weights: the expected count, each
// word a basis element, the order strictly decreasing, the last level the
// single word (-w, 0, ..., 0).
TEST(Basis, EveryLevelIsTheWholeAdmissibleBasisInDecreasingOrder) {
    for (int t = 1; t <= 14; ++t) {
        for (std::int32_t w : {-3, 0, 2, 1000000000}) {
            const std::int32_t c0 = t - w - 1;
            for (int L = 1; L < t; ++L) {
                const Words words = basisOf(t, w, L);
                ASSERT_EQ(static_cast<long long>(words.size()), sequences().levelSize(t, L))
                    << "t " << t << " w " << w << " level " << L;
                for (std::size_t i = 0; i < words.size(); ++i) {
                    const Word& word = words[i];
                    std::int32_t sum = 0;
                    for (std::int32_t entry : word) {
                        sum += entry;
                    }
                    EXPECT_EQ(sum, c0 - L);
                    EXPECT_GE(word[0], -w);
                    EXPECT_TRUE(std::all_of(word.begin() + 1, word.end(),
                                            [&](std::int32_t entry) { return entry >= 0; }));
                    EXPECT_TRUE(isAdmissible(testing::stored(word, w).data(), L + 1));
                    if (i > 0) {
                        EXPECT_GT(words[i - 1], word);
                    }
                }
                EXPECT_EQ(words.front()[0], c0 - L);
                EXPECT_EQ(words.back()[0], -w);
            }
            Word last(static_cast<std::size_t>(t), 0);
            last[0] = -w;
            EXPECT_EQ(basisOf(t, w, t - 1), Words{last});
        }
    }
}

TEST(Basis, LongMonomialsOfALargeDegree) {
    // Levels whose words have more than 32 entries, against the count and
    // admissibility.
    for (int L = 30; L < 40; ++L) {
        long long count = 0;
        enumerateLevel(40, L, [&](const Entry* word) {
            EXPECT_TRUE(isAdmissible(word, L + 1));
            ++count;
            return true;
        });
        EXPECT_EQ(count, sequences().levelSize(40, L)) << "level " << L;
    }
}

TEST(Basis, TheSinkCanStopTheEnumeration) {
    int seen = 0;
    EXPECT_FALSE(enumerateLevel(6, 2, [&](const Entry*) { return ++seen < 3; }));
    EXPECT_EQ(seen, 3);
    EXPECT_TRUE(enumerateLevel(6, 2, [](const Entry*) { return true; }));
}

// The counting table against the enumeration itself, on every level of every
// degree up to 30.
TEST(BasisCounts, AgreeWithTheEnumerationUpToDegreeThirty) {
    for (int t = 1; t <= 30; ++t) {
        const BasisCounts counts(t);
        EXPECT_EQ(counts.degree(), t);
        for (int L = 0; L < t; ++L) {
            long long enumerated = 0;
            enumerateLevel(t, L, [&](const Entry*) {
                ++enumerated;
                return true;
            });
            ASSERT_EQ(counts.levelSize(L), enumerated) << "t " << t << " level " << L;
        }
    }
}

// Every level of every degree the program takes, without enumerating,
// against the forward count.
TEST(BasisCounts, EveryLevelOfEveryDegreeUpToTheLimit) {
    for (int t = 1; t <= 58; ++t) {
        const BasisCounts counts(t);
        for (int L = 0; L < t; ++L) {
            ASSERT_EQ(counts.levelSize(L), sequences().levelSize(t, L))
                << "t " << t << " level " << L;
        }
        EXPECT_EQ(counts.levelSize(0), 1);
        EXPECT_EQ(counts.levelSize(t - 1), 1);
    }
}

TEST(BasisCounts, LargestLevelsOfLargeDegrees) {
    const auto largest = [](int t) {
        const BasisCounts counts(t);
        std::int64_t result = 0;
        for (int L = 0; L < t; ++L) {
            result = std::max(result, counts.levelSize(L));
        }
        return result;
    };
    EXPECT_EQ(largest(25), 9925);
    EXPECT_EQ(largest(31), 96792);
    EXPECT_EQ(largest(36), 669996);
    EXPECT_EQ(largest(40), 3099173);
    EXPECT_EQ(largest(45), 21096220);
    EXPECT_EQ(largest(56), 1476698773);
    EXPECT_EQ(BasisCounts(56).levelSize(17), 1476698773);
    // Still inside 32-bit records at the largest degree taken, and no longer
    // one degree further.
    EXPECT_EQ(largest(58), 3164985492);
    EXPECT_EQ(largest(59), 4702955551);
}

} // namespace
} // namespace curtis::oracle
