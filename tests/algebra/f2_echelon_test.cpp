// The F2 echelon against the span by brute force: a vector reduces to zero
// exactly when it is a sum of the vectors added, and what reduce takes off
// is the sum of the added vectors its combination names.
#include "algebra/f2_echelon.hpp"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace curtis {
namespace {

TEST(F2Echelon, ReducesByTheSpanOfWhatWasAdded) {
    using Bits = F2Echelon::Bits;
    const std::vector<std::vector<Bits>> cases{{0b1011, 0b0110, 0b1101, 0b0001},
                                               {0b111, 0b111, 0b000, 0b100},
                                               {0b100000, 0b010001, 0b110001, 0b001110, 0b000011},
                                               {Bits{1} << 63, (Bits{1} << 63) | 1}};
    for (const std::vector<Bits>& vectors : cases) {
        F2Echelon echelon;
        std::vector<Bits> added;
        for (const Bits v : vectors) {
            if (echelon.add(v, added.size())) {
                added.push_back(v);
            }
        }
        std::set<Bits> span{0};
        for (const Bits v : added) {
            for (const Bits s : std::set<Bits>(span)) {
                span.insert(s ^ v);
            }
        }
        EXPECT_EQ(span.size(), Bits{1} << echelon.rank());
        for (const Bits v : vectors) {
            EXPECT_EQ(span.count(v), 1U) << v; // added, or refused as in the span
        }
        for (Bits v = 0; v < 64; ++v) {
            for (const Bits w : {v, v | (Bits{1} << 63)}) {
                Bits combination = 0;
                const Bits rest = echelon.reduce(w, combination);
                EXPECT_EQ(rest == 0, span.count(w) == 1) << w;
                Bits sum = 0;
                for (std::size_t p = 0; p < added.size(); ++p) {
                    sum ^= ((combination >> p) & 1U) != 0 ? added[p] : 0;
                }
                EXPECT_EQ(w ^ rest, sum) << w;
            }
        }
    }
}

} // namespace
} // namespace curtis
