// The tables kept from their E1 generators against the level-by-level
// elimination, which pairs every generator of every level: every record of
// every word, read through the lookup, is the oracle's, and the chart's
// levels beyond the reach of any whole level are checked by their Euler
// characteristic.
#include "oracle/basis.hpp"
#include "oracle/degree.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace curtis {
namespace {

using testing::Tables;

struct Space {
    const char* name;
    std::int32_t bottom;
    std::optional<std::int32_t> top;
    int last; // the largest degree checked
};

// Every word of every level of degree t: the same state, the same tag, and a
// Source's target is the word its oracle record says it hit. On the level
// above a band only the marks are compared: it is not eliminated.
void expectSameRecords(const Tables& tables, oracle::Degree& oracle, const std::string& what) {
    const oracle::BasisPositions& basis = oracle.basis();
    const int t = oracle.degree();
    Entry word[maxMonomialLength];
    Entry partner[maxMonomialLength];
    Entry expected[maxMonomialLength];
    for (int k = 0; k < oracle.levels(); ++k) {
        const oracle::LevelTable level = oracle.level(k);
        const bool final = k < oracle.finalLevels();
        for (std::int64_t i = 0; i < level.count; ++i) {
            basis.wordAt(k, i, word);
            const GeneratorState state = tables.table().record(t, k, word, partner);
            const GeneratorState wanted = level.state(i);
            const std::string where = what + " t " + std::to_string(t) + " level " +
                                      std::to_string(k) + " position " + std::to_string(i);
            if (!final) {
                ASSERT_EQ(state == Hit, wanted == Hit) << where;
            } else {
                ASSERT_EQ(state, wanted) << where;
            }
            if (state == Hit) {
                basis.wordAt(k - 1, level.tag(i), expected);
                ASSERT_TRUE(sameMonomial(partner, expected, k)) << where << ": the tag";
            } else if (state == Source && final) {
                const std::int64_t target = basis.positionOf(k + 1, partner);
                ASSERT_GE(target, 0) << where;
                ASSERT_EQ(oracle.level(k + 1).state(target), Hit) << where;
                ASSERT_EQ(oracle.level(k + 1).tag(target), i) << where << ": the target";
            }
        }
    }
}

TEST(Engine, EveryRecordIsTheLevelByLevelElimination) {
    const std::vector<Space> spaces{
        {"S^0", 0, 0, 17},
        {"RP^inf", 1, std::nullopt, 16},
        {"P_-3^5", -3, 5, 15},
        {"P_0", 0, std::nullopt, 16},
        {"P_3^12", 3, 12, 15},
        {"P_-10^-4", -10, -4, 15},
        {"P_10^9", 1000000000, std::nullopt, 14},
    };
    // Every other table on two threads: the wavefront over degrees and
    // levels gives the records of one.
    int threads = 1;
    for (const Space& space : spaces) {
        for (const std::optional<int> band :
             {std::optional<int>(), std::optional<int>(1), std::optional<int>(4)}) {
            threads = 3 - threads;
            const Tables tables(space.last, -space.bottom, space.top, band, 1, threads);
            for (int t = 1; t <= space.last; ++t) {
                oracle::Degree oracle(t, -space.bottom, space.top, band);
                ASSERT_EQ(oracle.status(), oracle::EliminationStatus::Ok);
                expectSameRecords(tables, oracle,
                                  std::string(space.name) + " band " +
                                      (band ? std::to_string(*band) : "none") + " threads " +
                                      std::to_string(threads));
            }
        }
    }
}

// The alternating sum of the survivors of a whole degree is that of the
// sizes of its levels, counted exactly: each pairing takes one generator from
// two adjacent levels. Checked where no level-by-level elimination reaches.
TEST(Engine, EulerCharacteristicsFarOut) {
#if defined(CURTIS_SANITIZED) || defined(CURTIS_THREAD_SANITIZED)
    const int far = 44;
#else
    const int far = 60;
#endif
    // The alternating sums of a whole degree of a table.
    const auto expectEuler = [](const CurtisTable& table, int t, int topCell,
                                const std::string& what) {
        const oracle::BasisCounts counts(t, topCell);
        std::int64_t sizes = 0;
        std::int64_t survivors = 0;
        for (int k = 0; k < t; ++k) {
            const std::int64_t sign = k % 2 == 0 ? 1 : -1;
            sizes += sign * counts.levelSize(k);
            const LevelRecords& level = table.kept(t, k);
            for (std::int32_t i = 0; i < level.size(); ++i) {
                survivors += level.state(i) == Alive ? sign : 0;
            }
        }
        EXPECT_EQ(survivors, sizes) << what << " t " << t;
    };
    struct Case {
        std::int32_t bottom;
        std::optional<std::int32_t> top;
        int t;
    };
    // P_0's computation holds every degree of the sphere's table below it.
    for (const Case& space :
         {Case{0, std::nullopt, far}, Case{1, std::nullopt, far - 4}, Case{-3, 5, far - 8}}) {
        const Tables tables(space.t, -space.bottom, space.top, std::nullopt, space.t, 2);
        const std::string name = "bottom cell " + std::to_string(space.bottom);
        expectEuler(tables.table(), space.t, space.top ? *space.top - space.bottom : noTopCell,
                    name);
        if (space.bottom == 0) {
            for (int t = 1; t <= space.t; ++t) {
                expectEuler(tables.computation().sphere(), t, 0, "the sphere");
            }
        }
    }
}

} // namespace
} // namespace curtis
