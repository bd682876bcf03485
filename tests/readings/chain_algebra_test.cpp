// The boundary and the maps of words of the chain algebra against the
// complex's own laws, in the sphere, RP^∞ and P_-4^-1: d(d(x)) = 0 for every
// kept word, the cycles it rebuilds (survivors', claiming boundaries) have
// zero boundary, and the quotient by the cells below c, a map that drops
// words, commutes with d there.
#include "readings/chain_algebra.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

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

} // namespace
} // namespace curtis
