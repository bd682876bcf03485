// Finite stunted projective spaces P_a^b and the sphere P_0^0, checked
// against mathematics: the known Ext of the sphere and of the Moore space
// RP^2, and the period of the binomial coefficients mod 2.
#include "chart/chart_lines.hpp"
#include "support/term_sets.hpp"
#include "table/computation.hpp"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace curtis {
namespace {

// Survivors of P_a^b (no top cell: P_a) in total degree t, counted by
// (stem, filtration): the stem in the space itself is t - s + a, the
// filtration s - 1.
using Ranks = std::map<std::pair<int, int>, int>;

Ranks survivors(int t, std::int32_t a, std::optional<std::int32_t> b) {
    ComputationSettings settings;
    settings.topCell = b;
    Ranks ranks;
    const ComputationResult result =
        runComputation(t, -a, settings, [&](const FinishedLevel& level) {
            forEachChartLine(level, [&](const ChartLine& line) {
                if (line.source == nullptr) {
                    ++ranks[{level.coweight(), level.k}];
                }
            });
            return true;
        });
    EXPECT_EQ(result.outcome, Outcome::Finished);
    return ranks;
}

// Ext of the sphere through stem 15 by (stem, filtration), the h0-tower in
// stem 0 apart: every class of the Adams E2 term in that range.
const Ranks& sphereExt() {
    static const Ranks ranks{
        {{1, 1}, 1},                                           // h1
        {{2, 2}, 1},                                           // h1^2
        {{3, 1}, 1},  {{3, 2}, 1},  {{3, 3}, 1},               // h2, h0h2, h1^3
        {{6, 2}, 1},                                           // h2^2
        {{7, 1}, 1},  {{7, 2}, 1},  {{7, 3}, 1},  {{7, 4}, 1}, // h3 and its tower
        {{8, 2}, 1},  {{8, 3}, 1},                             // h1h3, c0
        {{9, 3}, 1},  {{9, 4}, 1},  {{9, 5}, 1},               // h1^2h3, h1c0, Ph1
        {{10, 6}, 1},                                          // h1Ph1
        {{11, 5}, 1}, {{11, 6}, 1}, {{11, 7}, 1},              // Ph2 and its tower
        {{14, 2}, 1}, {{14, 3}, 1}, {{14, 4}, 1}, {{14, 5}, 1},
        {{14, 6}, 1},                                           // h3^2, h0h3^2, d0, h0d0, h0^2d0
        {{15, 1}, 1}, {{15, 2}, 1}, {{15, 3}, 1}, {{15, 4}, 1}, // h4 and its tower,
        {{15, 5}, 2}, {{15, 6}, 1}, {{15, 7}, 1}, {{15, 8}, 1}, // with h1d0 beside h0^4h4
    };
    return ranks;
}

TEST(Spaces, TheSphereHasTheKnownExtThroughStemFifteen) {
    for (int t = 1; t <= 25; ++t) {
        const Ranks found = survivors(t, 0, 0);
        for (int k = 0; k < t; ++k) {
            const int stem = t - 1 - k;
            if (stem > 15) {
                continue;
            }
            const auto known = sphereExt().find({stem, k});
            const int expected = stem == 0 ? 1 : known == sphereExt().end() ? 0 : known->second;
            const auto at = found.find({stem, k});
            EXPECT_EQ(at == found.end() ? 0 : at->second, expected)
                << "t " << t << " stem " << stem << " filtration " << k;
        }
    }
}

// RP^2 = P_1^2 is the Moore space S/2 moved up one cell. Ext of S/2 in stem
// n is the cokernel of h0 on Ext of the sphere in stem n beside the kernel of
// h0 in stem n - 1, at the same filtration; through stem 7 that is the
// table below, moved up one stem.
TEST(Spaces, RP2HasTheExtOfTheMooreSpaceThroughStemEight) {
    const Ranks known{
        {{1, 0}, 1},              // the bottom cell
        {{2, 1}, 1},              // h1
        {{3, 1}, 1}, {{3, 2}, 1}, // h1 on the top cell, h1^2
        {{4, 1}, 1}, {{4, 2}, 1}, // h2, h1^2 on the top cell
        {{5, 3}, 1},              // h0^2h2 on the top cell
        {{7, 2}, 1},              // h2^2
        {{8, 1}, 1}, {{8, 2}, 1}, // h3, h2^2 on the top cell
    };
    for (int t = 1; t <= 16; ++t) {
        const Ranks found = survivors(t, 1, 2);
        for (int k = 0; k < t; ++k) {
            const int stem = t - k;
            if (stem > 8) {
                continue;
            }
            const auto expected = known.find({stem, k});
            const auto at = found.find({stem, k});
            EXPECT_EQ(at == found.end() ? 0 : at->second,
                      expected == known.end() ? 0 : expected->second)
                << "t " << t << " stem " << stem << " filtration " << k;
        }
    }
}

// The chart of P_a^b in total degree t as text, every cell moved down by
// shift.
std::string chart(int t, std::int32_t a, std::int32_t b, std::int32_t shift = 0) {
    ComputationSettings settings;
    settings.topCell = b;
    std::string text;
    const auto write = [&](const Entry* word, int length) {
        for (int e = 0; e < length; ++e) {
            text += std::to_string(e == 0 ? printedCell(word[0], -a) - shift : word[e]) + " ";
        }
    };
    runComputation(t, -a, settings, [&](const FinishedLevel& level) {
        text += "s=" + std::to_string(level.homologicalDegree()) + "\n";
        forEachChartLine(level, [&](const ChartLine& line) {
            write(line.word, level.k + 1);
            if (line.source != nullptr) {
                text += "<-- ";
                write(line.source, level.k);
            }
            text += "\n";
        });
        return true;
    });
    return text;
}

// The boundary's coefficients C(n - j, j) mod 2 are those of n + 2^L for
// every j < 2^L, and a split of a cell in P_a^b in total degree t takes j up
// to min(b - a, t - 1): so when 2^L exceeds that, P_{a+2^L}^{b+2^L} has the
// chart of P_a^b with every cell moved up by 2^L.
TEST(Spaces, ChartsRepeatWithThePeriodOfTheBinomialCoefficients) {
    struct Case {
        int t;
        std::int32_t a;
        std::int32_t b;
        int L;
    };
    for (const Case& c : {Case{9, 1, 5, 3}, Case{12, -3, 2, 3}, Case{14, 0, 3, 2},
                          Case{16, 2, 40, 4}, Case{10, -5, -5, 0}, Case{13, 7, 9, 2}}) {
        const std::int32_t period = 1 << c.L;
        ASSERT_GT(period, std::min(c.b - c.a, c.t - 1));
        EXPECT_EQ(chart(c.t, c.a + period, c.b + period, period), chart(c.t, c.a, c.b))
            << "t " << c.t << " P_" << c.a << "^" << c.b << " moved by " << period;
    }
    // Outside the condition the charts can differ, so the comparison above
    // can fail: P_1^5 and P_5^9 at t = 9, where 4 = min(4, 8).
    EXPECT_NE(chart(9, 5, 9, 4), chart(9, 1, 5));
}

TEST(Spaces, ALevelZeroAboveTheTopCellIsEmpty) {
    // t - 1 + a > b: the single word of level 0, the cell t - 1 + a, is not
    // in P_a^b; the computation starts from an empty level. The sphere has
    // h2, h1^2 and h0^4; P_2^3 has h2 and h1^2 on e^2, h0^3 on e^3 and h0^4
    // on e^2.
    EXPECT_EQ(chart(5, 0, 0), "s=1\ns=2\n0 3 \ns=3\n0 1 1 \ns=4\ns=5\n0 0 0 0 0 \n");
    EXPECT_EQ(chart(5, 2, 3), "s=1\ns=2\n2 3 \ns=3\n2 1 1 \ns=4\n3 0 0 0 \ns=5\n2 0 0 0 0 \n");
    // Without a top cell, the same t has P_0 and its level 0.
    EXPECT_EQ(survivors(5, 0, std::nullopt).count({4, 0}), 0u);
    EXPECT_EQ(chart(1, 0, 0), "s=1\n0 \n");
}

} // namespace
} // namespace curtis
