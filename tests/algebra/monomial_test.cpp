#include "algebra/monomial.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace curtis {
namespace {

// The generalised binomial coefficient n(n-1)...(n-k+1)/k!, exactly, for the
// small arguments used here.
__int128 generalisedBinomial(int n, int k) {
    __int128 value = 1;
    for (int i = 0; i < k; ++i) {
        value = value * (n - i) / (i + 1); // exact at every step: a binomial of i + 1
    }
    return value;
}

TEST(BinomialIsOdd, KnownValues) {
    EXPECT_EQ(binomialIsOdd(5, 2), 0);
    EXPECT_EQ(binomialIsOdd(5, 4), 1);
    EXPECT_EQ(binomialIsOdd(7, 3), 1);
    EXPECT_EQ(binomialIsOdd(6, 2), 1);
    EXPECT_EQ(binomialIsOdd(3, 5), 0);
    EXPECT_EQ(binomialIsOdd(0, 0), 1);
    EXPECT_EQ(binomialIsOdd(0, 1), 0);
}

TEST(BinomialIsOdd, NegativeUpperArgument) {
    for (int k = 0; k < 40; ++k) {
        EXPECT_EQ(binomialIsOdd(-1, k), 1) << k;
    }
    EXPECT_EQ(binomialIsOdd(-2, 1), 0);
    EXPECT_EQ(binomialIsOdd(-2, 2), 1);
    EXPECT_EQ(binomialIsOdd(-3, 1), 1);
    EXPECT_EQ(binomialIsOdd(-3, 2), 0);
    EXPECT_EQ(binomialIsOdd(-4, 3), 0);
    EXPECT_EQ(binomialIsOdd(-4, 4), 1);
    EXPECT_EQ(binomialIsOdd(-5, 2), 1);
}

TEST(BinomialIsOdd, AgreesWithExactCoefficientsOnAGrid) {
    for (int n = -40; n <= 40; ++n) {
        for (int k = 0; k <= 14; ++k) {
            const __int128 exact = generalisedBinomial(n, k);
            const int odd = (exact % 2 != 0) ? 1 : 0;
            EXPECT_EQ(binomialIsOdd(n, k), odd) << "C(" << n << ", " << k << ")";
        }
    }
}

TEST(BinomialIsOdd, ExtremeArgumentsAndNegativeLowerArgument) {
    EXPECT_EQ(binomialIsOdd(INT32_MAX, INT32_MAX), 1);
    EXPECT_EQ(binomialIsOdd(INT32_MIN, 1), 0);
    EXPECT_EQ(binomialIsOdd(-1, INT32_MAX), 1);
    EXPECT_EQ(binomialIsOdd(5, -1), 0);
}

TEST(Admissibility, PairsOfLambdaIndicesOnly) {
    const std::vector<Entry> notAdmissible{5, 0, 3};
    const std::vector<Entry> admissible{0, 1, 2};
    const std::vector<Entry> oneTooMany{0, 1, 3};
    const std::vector<Entry> cellUnconstrained{7, 100};
    const std::vector<Entry> laterPair{0, 4, 8, 17};
    EXPECT_FALSE(isAdmissible(notAdmissible.data(), 3));
    EXPECT_TRUE(isAdmissible(admissible.data(), 3));
    EXPECT_FALSE(isAdmissible(oneTooMany.data(), 3));
    EXPECT_TRUE(isAdmissible(cellUnconstrained.data(), 2));
    EXPECT_TRUE(isAdmissible(notAdmissible.data(), 2)); // (5, 0) alone
    EXPECT_TRUE(isAdmissible(notAdmissible.data(), 1));
    EXPECT_FALSE(isAdmissible(laterPair.data(), 4));
    EXPECT_TRUE(isAdmissible(laterPair.data(), 3));
    const std::vector<Entry> cellAboveDouble{0, 9, 1};
    EXPECT_TRUE(isAdmissible(cellAboveDouble.data(), 3));
    // 2 * 27 < 55 must not wrap around in byte arithmetic.
    const std::vector<Entry> large{0, 27, 55};
    EXPECT_FALSE(isAdmissible(large.data(), 3));
}

TEST(CompareMonomials, LexicographicEntryZeroFirst) {
    const std::vector<Entry> a{2, 0}, b{1, 5};
    EXPECT_EQ(compareMonomials(a.data(), b.data(), 2), 1);
    EXPECT_EQ(compareMonomials(b.data(), a.data(), 2), -1);
    const std::vector<Entry> e{1, 2, 0}, f{1, 1, 1};
    EXPECT_EQ(compareMonomials(e.data(), f.data(), 3), 1);
    const std::vector<Entry> g{1, 1, 1, 9}, h{1, 1, 1, 0};
    EXPECT_EQ(compareMonomials(g.data(), h.data(), 3), 0); // entries beyond n are not read
    EXPECT_EQ(compareMonomials(g.data(), h.data(), 4), 1);
    const std::vector<Entry> low{0, 55}, high{55, 0};
    EXPECT_EQ(compareMonomials(low.data(), high.data(), 2), -1);
}

// The cell index is stored as its offset from the bottom cell -w; the order
// of stored monomials is that of the true cell indices, negative ones
// included, at every weight the program takes.
TEST(CompactForm, CellOffsetsKeepValueAndOrder) {
    for (std::int32_t w : {-1000000000, -7, -1, 0, 1, 55, 1000000000}) {
        for (int offset : {0, 1, 54, 55}) {
            const std::int32_t cell = offset - w;
            EXPECT_EQ(cellOffset(cell, w), offset) << "w " << w;
            EXPECT_EQ(printedCell(static_cast<Entry>(offset), w), cell) << "w " << w;
        }
        EXPECT_EQ(printedCell(0, w), -w); // the bottom cell
        // (-w, 3) < (1 - w, 0) in true cells, so in offsets too.
        const Entry smaller[] = {cellOffset(-w, w), 3};
        const Entry greater[] = {cellOffset(1 - w, w), 0};
        EXPECT_EQ(compareMonomials(smaller, greater, 2), -1);
    }
}

// Copies and comparisons work a word at a time with overlapping last words:
// against byte-by-byte reference results, for every length up to the
// longest monomial, with the first difference at every position, and
// without touching a byte outside the n entries.
TEST(WordOperations, AgreeWithByteByByteForEveryLengthAndDifference) {
    std::mt19937 random(3);
    for (int n = 0; n <= maxMonomialLength; ++n) {
        const auto size = static_cast<std::size_t>(n);
        std::vector<Entry> a(size + 2), b(size + 2);
        for (int trial = 0; trial < 50; ++trial) {
            for (std::size_t i = 0; i < size + 2; ++i) {
                a[i] = b[i] = static_cast<Entry>(random() % 64);
            }
            const int differ = n == 0 ? 0 : static_cast<int>(random() % (size + 1)); // n: equal
            if (differ < n) {
                const auto at = static_cast<std::size_t>(differ) + 1;
                b[at] = static_cast<Entry>(b[at] ^ (1 + random() % 63));
            }
            a[0] = b[0] = 0xEE; // guards before and after the n entries
            a[size + 1] = 0x11;
            b[size + 1] = 0x22;
            int expected = 0;
            for (std::size_t i = 1; i <= size && expected == 0; ++i) {
                expected = a[i] == b[i] ? 0 : (a[i] > b[i] ? 1 : -1);
            }
            ASSERT_EQ(compareMonomials(a.data() + 1, b.data() + 1, n), expected) << n;
            ASSERT_EQ(compareMonomials(b.data() + 1, a.data() + 1, n), -expected) << n;
            ASSERT_EQ(sameMonomial(a.data() + 1, b.data() + 1, n), expected == 0) << n;

            std::vector<Entry> copy(size + 2, 0x5A);
            copyMonomial(copy.data() + 1, a.data() + 1, n);
            ASSERT_EQ(copy[0], 0x5A);
            ASSERT_EQ(copy[size + 1], 0x5A);
            ASSERT_TRUE(std::equal(copy.begin() + 1, copy.begin() + 1 + n, a.begin() + 1)) << n;
        }
    }
}

} // namespace
} // namespace curtis
