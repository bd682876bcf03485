// Cross-checks the chart against the homology of the complex, computed
// directly: bases by brute force, boundaries reduced by a recursive rewrite of
// single words (support/lambda_complex.hpp), ranks by Gaussian elimination
// over F2. Nothing here shares the elimination's logic.
#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"
#include "support/lambda_complex.hpp"
#include "support/tables.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace curtis {
namespace {

using testing::addChain;
using testing::basis;
using testing::boundaryRank;
using testing::Chain;
using testing::reducedBoundary;
using testing::Word;

struct LevelStates {
    int alive = 0;
    int hit = 0;
    int source = 0;
};

// Runs the computation and counts the final states of every word of every
// level, read through the table's lookup.
std::vector<LevelStates> eliminate(int t, int w) {
    std::vector<LevelStates> states(static_cast<std::size_t>(t));
    const testing::Tables tables(t, w, std::nullopt, std::nullopt, t);
    for (int k = 0; k < t; ++k) {
        LevelStates& counts = states[static_cast<std::size_t>(k)];
        for (const Word& word : basis(t, w, k)) {
            const GeneratorState state = tables.state(t, k, word);
            ++(state == Alive ? counts.alive : state == Hit ? counts.hit : counts.source);
        }
    }
    return states;
}

TEST(Homology, SurvivorsEqualTheHomologyOfEveryLevel) {
    for (int t = 1; t <= 12; ++t) {
        std::vector<int> weights{-1000000000, 1000000000};
        for (int w = -3; w <= 6; ++w) {
            weights.push_back(w);
        }
        for (int w : weights) {
            std::map<Word, Chain> memo;
            const std::vector<LevelStates> states = eliminate(t, w);
            int previousRank = 0;
            for (int k = 0; k + 1 < t; ++k) {
                const std::vector<Word> level = basis(t, w, k);
                const int rank = boundaryRank(level, basis(t, w, k + 1), w, memo);
                const int homology = static_cast<int>(level.size()) - rank - previousRank;
                EXPECT_EQ(states[static_cast<std::size_t>(k)].alive, homology)
                    << "t " << t << " w " << w << " level " << k;
                EXPECT_EQ(states[static_cast<std::size_t>(k)].source, rank)
                    << "t " << t << " w " << w << " level " << k;
                EXPECT_EQ(states[static_cast<std::size_t>(k) + 1].hit, rank)
                    << "t " << t << " w " << w << " level " << k;
                previousRank = rank;
            }
        }
    }
}

// The program's reduced boundary of every basis word, as a set, is the one
// computed here; and the boundary applied twice vanishes, computed either way.
TEST(Homology, BoundariesAgreeAndSquareToZero) {
    for (int t = 2; t <= 11; ++t) {
        for (int w : {-2, 0, 1, 3, 6}) {
            std::map<Word, Chain> memo;
            for (int k = 0; k + 1 < t; ++k) {
                for (const Word& x : basis(t, w, k)) {
                    const Chain expected = reducedBoundary(x, w, memo);
                    TermSet terms = testing::termSet(k + 2, 2000);
                    ASSERT_TRUE(appendBoundary(testing::stored(x, w).data(), k, w, terms));
                    ASSERT_TRUE(reduceToAdmissible(terms));
                    const testing::Words rows = testing::rows(terms, w);
                    EXPECT_EQ(Chain(rows.begin(), rows.end()), expected);
                    EXPECT_EQ(rows.size(), expected.size()); // no row twice

                    if (k + 2 < t) {
                        Chain twice;
                        for (const Word& term : expected) {
                            addChain(twice, reducedBoundary(term, w, memo));
                        }
                        EXPECT_TRUE(twice.empty());
                        TermSet second = testing::termSet(k + 3, 2000);
                        for (const Word& row : rows) {
                            ASSERT_TRUE(
                                appendBoundary(testing::stored(row, w).data(), k + 1, w, second));
                        }
                        ASSERT_TRUE(reduceToAdmissible(second));
                        EXPECT_EQ(second.rowCount(), 0);
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace curtis
