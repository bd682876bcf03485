// The boundary and the maps of words of the chain algebra against the
// complex's own laws, in the sphere, RP^∞ and P_-4^-1: d(d(x)) = 0 for every
// kept word, the cycles it rebuilds (survivors', claiming boundaries) have
// zero boundary, and the quotient by the cells below c, a map that drops
// words, commutes with d there.
#include "readings/chain_algebra.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace curtis {
namespace {

TEST(ChainAlgebra, BoundaryAndImagesKeepTheComplexLaws) {
    constexpr int last = 18;
    for (const auto& [w, top] : {std::tuple{0, std::optional<std::int32_t>()},
                                 std::tuple{-1, std::optional<std::int32_t>()},
                                 std::tuple{4, std::optional<std::int32_t>(-1)}}) {
        testing::Tables tables(last, w, top);
        ChainAlgebra algebra(tables.computation());
        const CurtisTable& table = tables.table();
        // The quotient by the cells stored below 2: a word of level k kept or
        // dropped.
        const auto pinch = [](int k) {
            return [k](const Entry* row, Entry* image) -> std::optional<PairRange> {
                if (row[0] < 2) {
                    return std::nullopt;
                }
                copyMonomial(image, row, k + 1);
                return noPair;
            };
        };
        for (std::int32_t t = 2; t <= last; ++t) {
            for (int k = 1; k + 2 < t && table.hasLevel(t, k); ++k) {
                const LevelRecords& level = table.kept(t, k);
                for (std::int32_t r = 0; r < level.size(); ++r) {
                    SCOPED_TRACE(::testing::Message()
                                 << "w " << w << " t " << t << " level " << k << " record " << r);
                    Chain x;
                    x.t = t;
                    x.k = k;
                    x.words.assign(level.word(r), level.word(r) + k + 1);
                    const ChainResult<Chain> dx = algebra.boundary(x, w);
                    ASSERT_TRUE(dx);
                    EXPECT_TRUE(algebra.boundary(*dx, w)->words.empty());
                    // pinch(d(pinch(x))) = pinch(d(x)).
                    Chain lhs =
                        *algebra.image(*algebra.boundary(*algebra.image(x, pinch(k), t, k), w),
                                       pinch(k + 1), t, k + 1);
                    ChainAlgebra::add(lhs, *algebra.image(*dx, pinch(k + 1), t, k + 1));
                    EXPECT_TRUE(lhs.words.empty());
                    const ChainResult<Chain> z =
                        level.state(r) == Alive ? algebra.cycle(table, t, k, level.word(r))
                        : level.state(r) == Hit && level.partner(r) != LevelRecords::none
                            ? algebra.claimingBoundary(table, t, k,
                                                       table.kept(t, k - 1).word(level.partner(r)),
                                                       level.word(r))
                            : ChainResult<Chain>::none();
                    if (z) {
                        EXPECT_TRUE(algebra.boundary(*z, w)->words.empty());
                    }
                }
            }
        }
    }
}

// A survivor's cycle read from the chain the elimination kept is the one
// rebuilt from the records, word for word.
TEST(ChainAlgebra, KeptCyclesAreThoseRebuilt) {
    constexpr std::int32_t last = 30;
    const auto computed = [&](bool keep) {
        ComputationSettings settings;
        settings.topCell = 0; // the sphere
        settings.keepEveryCycle = keep;
        settings.keptChains = keep ? settings.keptChains : 0;
        auto computation = std::make_unique<Computation>(0, settings);
        for (std::int32_t t = 1; t <= last; ++t) {
            EXPECT_EQ(
                computation->computeDegree(t, [](const FinishedLevel&) { return true; }).outcome,
                Outcome::Finished);
        }
        return computation;
    };
    const std::unique_ptr<Computation> kept = computed(true);
    const std::unique_ptr<Computation> rebuilt = computed(false);
    ChainAlgebra fromKept(*kept);
    ChainAlgebra fromRecords(*rebuilt);
    // The chain's words, as strings, in order.
    const auto sorted = [](const Chain& chain) {
        std::vector<std::string> words;
        const std::size_t n = static_cast<std::size_t>(chain.k) + 1;
        for (std::size_t w = 0; w < chain.words.size(); w += n) {
            words.emplace_back(reinterpret_cast<const char*>(chain.words.data() + w), n);
        }
        std::sort(words.begin(), words.end());
        return words;
    };
    int read = 0;
    for (std::int32_t t = 1; t <= last; ++t) {
        for (int k = 0; k < t; ++k) {
            const LevelRecords& level = kept->table().kept(t, k);
            for (std::int32_t r = 0; r < level.size(); ++r) {
                if (level.state(r) != Alive || level.cycle(r) == nullptr) {
                    continue;
                }
                ASSERT_EQ(rebuilt->table().kept(t, k).cycle(r), nullptr);
                const ChainResult<Chain> a = fromKept.cycle(kept->table(), t, k, level.word(r));
                const ChainResult<Chain> b =
                    fromRecords.cycle(rebuilt->table(), t, k, level.word(r));
                ASSERT_TRUE(a && b);
                EXPECT_EQ(sorted(*a), sorted(*b)) << t << " " << k << " " << r;
                ++read;
            }
        }
    }
    EXPECT_GT(read, 50);
}

} // namespace
} // namespace curtis
