// A band of low filtrations: exactly the low levels of the whole
// computation, and counts that stay exact far beyond the whole
// computation's degrees.
#include "oracle/basis.hpp"
#include "support/term_sets.hpp"
#include "table/computation.hpp"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace curtis {
namespace {

// A kept record as text: its word, its state and its partner.
using Record = std::tuple<testing::Word, GeneratorState, testing::Word>;

// Every kept record of every level handed over, in the chart's order, read
// once the degree is done (a Source's target is on the level above, which is
// still being made final while its own level is handed over).
std::vector<std::vector<Record>> handedRecords(int t, std::int32_t w, std::optional<int> top,
                                               std::optional<int> band) {
    ComputationSettings settings;
    settings.topCell = top;
    settings.maxFiltration = band;
    Computation computation(w, settings);
    int handed = 0;
    const ComputationResult result = computation.computeDegree(t, [&](const FinishedLevel& level) {
        EXPECT_EQ(level.k, handed++);
        return true;
    });
    EXPECT_EQ(result.outcome, Outcome::Finished);
    std::vector<std::vector<Record>> levels;
    const CurtisTable& table = computation.table();
    for (int k = 0; k < handed; ++k) {
        std::vector<Record>& records = levels.emplace_back();
        const LevelRecords& kept = table.kept(t, k);
        for (const std::int32_t i : kept.increasing()) {
            const GeneratorState state = kept.state(i);
            const int partnerLevel = state == Hit ? k - 1 : k + 1;
            records.emplace_back(
                testing::printed(kept.word(i), k + 1, w), state,
                state == Alive ? testing::Word{}
                               : testing::printed(table.kept(t, partnerLevel).word(kept.partner(i)),
                                                  partnerLevel + 1, w));
        }
    }
    return levels;
}

// The levels of a band are the first levels of the whole computation, kept
// record for kept record (states, tags and targets), for P_{-3}^5, RP^∞ and
// the sphere.
TEST(Band, IsThePrefixOfTheWholeComputation) {
    const std::vector<std::tuple<std::int32_t, std::optional<int>>> spaces{
        {3, 5}, {-1, std::nullopt}, {0, 0}};
    for (const auto& [w, top] : spaces) {
        for (int t = 1; t <= 40; t += t < 20 ? 1 : 5) {
            const std::vector<std::vector<Record>> whole = handedRecords(t, w, top, std::nullopt);
            ASSERT_EQ(static_cast<int>(whole.size()), t);
            for (const int F : {0, 1, 4, t - 2}) {
                if (F < 0) {
                    continue;
                }
                const std::vector<std::vector<Record>> band = handedRecords(t, w, top, F);
                const std::size_t levels = static_cast<std::size_t>(std::min(F + 1, t));
                ASSERT_EQ(band.size(), levels) << "t " << t << " F " << F;
                EXPECT_TRUE(std::equal(band.begin(), band.end(), whole.begin()))
                    << "w " << w << " t " << t << " F " << F;
            }
        }
    }
}

// The words of a level counted the other way round from the tables: from
// the last lambda index back to the first, each at least half the next.
class BackwardCount {
public:
    explicit BackwardCount(int t) : t_(t) {}

    // Words of level L in total degree t of P_a (no top cell).
    __int128 level(int L) {
        __int128 total = 0;
        for (int cell = 0; cell <= t_ - 1 - L; ++cell) {
            const int sum = t_ - 1 - L - cell;
            if (L == 0) {
                total += sum == 0 ? 1 : 0;
                continue;
            }
            for (int last = 0; last <= sum; ++last) {
                total += before(L - 1, last, sum - last);
            }
        }
        return total;
    }

private:
    // r lambda indices before one of value `next`, adding up to s.
    __int128 before(int r, int next, int s) {
        if (r == 0) {
            return s == 0 ? 1 : 0;
        }
        const auto key = std::make_tuple(r, next, s);
        if (const auto known = memo_.find(key); known != memo_.end()) {
            return known->second;
        }
        __int128 total = 0;
        for (int value = (next + 1) / 2; value <= s; ++value) {
            total += before(r - 1, value, s - value);
        }
        memo_[key] = total;
        return total;
    }

    int t_;
    std::map<std::tuple<int, int, int>, __int128> memo_;
};

// Far beyond the whole computation the band's counts are exact: levels 0 to
// 4 of t = 100 and t = 250 with F = 3, counted both ways.
TEST(Band, CountsFarOutAreExact) {
    for (const int t : {100, 250}) {
        const oracle::BasisCounts counts(t, noTopCell, 4);
        ASSERT_EQ(counts.levels(), 5);
        BackwardCount direct(t);
        for (int L = 0; L <= 4; ++L) {
            EXPECT_EQ(static_cast<__int128>(counts.levelSize(L)), direct.level(L))
                << "t " << t << " level " << L;
        }
    }
}

} // namespace
} // namespace curtis
