// The sphere's table read as the EHP sequence, against the homology of the
// subcomplexes Lambda(N) computed apart from the program: bases by brute
// force, boundaries by recursive rewriting, ranks by Gaussian elimination.
#include "readings/ehp_reading.hpp"
#include "support/lambda_complex.hpp"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace curtis {
namespace {

using testing::Chain;
using testing::Word;

// The sphere's levels of total degree t, printed stably, with births, and as
// the unstable chart of every S^N for N = 1 .. t + 1.
struct SphereLevels {
    std::vector<PrintedLevel> stable, ehp;
    std::vector<std::vector<PrintedLevel>> unstable; // [N - 1][k]
};

SphereLevels sphereLevels(int t) {
    SphereLevels levels;
    levels.unstable.resize(static_cast<std::size_t>(t + 1));
    ComputationSettings settings;
    settings.topCell = 0;
    const ComputationResult result =
        runComputation(t, 0, settings, [&](const FinishedLevel& level) {
            levels.stable.push_back(printLevel(level));
            levels.ehp.push_back(printEhpLevel(level));
            for (int N = 1; N <= t + 1; ++N) {
                levels.unstable[static_cast<std::size_t>(N - 1)].push_back(
                    printUnstableLevel(level, N));
            }
            return true;
        });
    EXPECT_EQ(result.outcome, Outcome::Finished);
    return levels;
}

// In every bidegree of total degree t <= 18 and for every sphere S^N, the
// classes of the unstable chart are as many as the homology of Lambda(N) has,
// and so are the classes the EHP reading counts: the survivors born on S^N
// or below and the EHP pairs born on S^N or below that die above it.
TEST(EhpReading, UnstableChartsAreTheHomologyOfTheSubcomplexes) {
    for (int t = 1; t <= 18; ++t) {
        const SphereLevels levels = sphereLevels(t);
        std::map<Word, Chain> memo;
        for (int N = 1; N <= t + 1; ++N) {
            int previousRank = 0;
            for (int k = 0; k < t; ++k) {
                const std::vector<Word> words = testing::unstableBasis(t, k, N);
                const int rank =
                    k + 1 < t
                        ? testing::boundaryRank(words, testing::unstableBasis(t, k + 1, N), 0, memo)
                        : 0;
                const int homology = static_cast<int>(words.size()) - rank - previousRank;
                previousRank = rank;

                const PrintedLevel& unstable =
                    levels.unstable[static_cast<std::size_t>(N - 1)][static_cast<std::size_t>(k)];
                EXPECT_EQ(static_cast<int>(unstable.classes.size()), homology)
                    << "t " << t << " s " << k + 1 << " S^" << N;
                const PrintedLevel& ehp = levels.ehp[static_cast<std::size_t>(k)];
                int counted = 0;
                for (const ChartClass& c : ehp.classes) {
                    counted += c.born && *c.born <= N ? 1 : 0;
                }
                for (const PrintedEhp& pair : ehp.ehp) {
                    counted += pair.born <= N && pair.dies > N ? 1 : 0;
                    EXPECT_EQ(pair.born, birthSphere(pair.target));
                    EXPECT_EQ(pair.dies, birthSphere(pair.source));
                }
                EXPECT_EQ(counted, homology) << "t " << t << " s " << k + 1 << " S^" << N;
            }
        }
    }
}

// In the stable range, stems up to N - 2, the unstable chart of S^N is the
// stable one; S^1 has only the tower of h0 in stem 0.
TEST(EhpReading, TheStableRangeAndTheCircle) {
    for (int t = 1; t <= 16; ++t) {
        const SphereLevels levels = sphereLevels(t);
        for (int N = 1; N <= t + 1; ++N) {
            for (int k = 0; k < t; ++k) {
                const PrintedLevel& stable = levels.stable[static_cast<std::size_t>(k)];
                const PrintedLevel& unstable =
                    levels.unstable[static_cast<std::size_t>(N - 1)][static_cast<std::size_t>(k)];
                std::vector<PrintedMonomial> stableClasses, unstableClasses;
                for (const ChartClass& c : stable.classes) {
                    stableClasses.push_back(c.word);
                }
                for (const ChartClass& c : unstable.classes) {
                    unstableClasses.push_back(c.word);
                }
                if (stable.at.stem() <= N - 2) {
                    EXPECT_EQ(unstableClasses, stableClasses) << "t " << t << " S^" << N;
                }
                if (N == 1) {
                    EXPECT_EQ(unstableClasses.size(), stable.at.stem() == 0 ? 1u : 0u)
                        << "t " << t << " s " << k + 1;
                }
            }
        }
    }
}

} // namespace
} // namespace curtis
