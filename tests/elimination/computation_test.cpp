#include "elimination/computation.hpp"
#include "report/chart_lines.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace curtis {
namespace {

using testing::printed;
using testing::Word;

// A level as the computation hands it over: its degrees and its chart lines,
// each the printed word and, for an arrow, the printed source.
struct HandedLevel {
    int s;
    std::int32_t topological;
    std::int32_t coweight;
    std::vector<std::pair<Word, Word>> lines;
    bool operator==(const HandedLevel&) const = default;
};

std::vector<HandedLevel> handedLevels(int t, std::int32_t w, ComputationResult* result = nullptr,
                                      const ComputationSettings& settings = {}) {
    std::vector<HandedLevel> levels;
    const ComputationResult outcome =
        runComputation(t, w, settings, [&](const FinishedLevel& level) {
            HandedLevel handed{
                level.homologicalDegree(), level.topologicalDegree(), level.coweight(), {}};
            forEachChartLine(level, [&](const ChartLine& line) {
                handed.lines.emplace_back(printed(line.word, level.k + 1, w),
                                          line.source != nullptr ? printed(line.source, level.k, w)
                                                                 : Word{});
            });
            levels.push_back(handed);
            return true;
        });
    if (result != nullptr) {
        *result = outcome;
    } else {
        EXPECT_EQ(outcome.outcome, Outcome::Finished);
    }
    return levels;
}

TEST(Computation, HandsOverEveryLevelInChartOrder) {
    const std::vector<HandedLevel> expected{
        {1, 5, 4, {}},
        {2, 4, 3, {{{3, 0}, {4}}, {{2, 1}, {}}}},
        {3, 3, 2, {{{0, 1, 1}, {}}, {{-1, 2, 1}, {0, 3}}}},
        {4, 2, 1, {{{1, 0, 0, 0}, {2, 0, 0}}}},
        {5, 1, 0, {}},
        {6, 0, -1, {{{-1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}}},
    };
    EXPECT_EQ(handedLevels(6, 1), expected);
}

TEST(Computation, DegreeOneIsTheTopCellAlone) {
    for (std::int32_t w : {-1000000000, 0, 5, 1000000000}) {
        const std::vector<HandedLevel> levels = handedLevels(1, w);
        ASSERT_EQ(levels.size(), 1u);
        EXPECT_EQ(levels[0], (HandedLevel{1, 0, -w, {{{-w}, {}}}}));
    }
}

TEST(Computation, ExtremeWeightsPrintTrueCells) {
    // The bottom cell of every level is -w, and the coweight is the sum of
    // the printed entries of each word.
    for (std::int32_t w : {-1000000000, 1000000000}) {
        for (const HandedLevel& level : handedLevels(12, w)) {
            EXPECT_EQ(level.coweight, 12 - w - level.s);
            for (const auto& [word, source] : level.lines) {
                EXPECT_GE(word[0], -w);
                EXPECT_LE(word[0], 12 - w - level.s);
                std::int64_t sum = 0;
                for (std::int32_t entry : word) {
                    sum += entry;
                }
                EXPECT_EQ(sum, level.coweight);
            }
        }
    }
}

TEST(Computation, FailuresNameTheLevelAndStopTheHandingOver) {
    ComputationResult result;
    ComputationSettings small;
    small.recordLimit = 6; // level 2 of degree 6 has seven generators
    std::vector<HandedLevel> levels = handedLevels(6, 0, &result, small);
    EXPECT_EQ(result.outcome, Outcome::LevelOverflow);
    EXPECT_EQ(result.level, 2);
    EXPECT_EQ(result.limit, 6);
    EXPECT_EQ(levels.size(), 1u);

    ComputationSettings tight;
    tight.termSetRows = 1; // the boundary of (4) has two terms
    levels = handedLevels(5, 0, &result, tight);
    EXPECT_EQ(result.outcome, Outcome::TermSetFull);
    EXPECT_EQ(result.level, 0);
    EXPECT_EQ(result.limit, 1);
    EXPECT_TRUE(levels.empty());

    ComputationSettings dropping;
    dropping.afterEnumeration = [](GeneratorTables& tables, int level) {
        if (level == 1) {
            --tables.levelCount(level); // (-1, 3), where the boundary of (3) leads
        }
    };
    levels = handedLevels(5, 1, &result, dropping);
    EXPECT_EQ(result.outcome, Outcome::LeadingTermMissing);
    EXPECT_EQ(result.level, 0);
    EXPECT_TRUE(levels.empty());
}

TEST(Computation, TheCallerCanStopAfterALevel) {
    int handed = 0;
    const ComputationResult result =
        runComputation(8, 0, {}, [&](const FinishedLevel&) { return ++handed < 3; });
    EXPECT_EQ(result.outcome, Outcome::Stopped);
    EXPECT_EQ(result.level, 2);
    EXPECT_EQ(handed, 3);
}

TEST(Computation, MoreStorageThanObtainableAllocatesNothing) {
    // The figures are those of one thread, the least the computation needs.
    ComputationSettings one;
    one.threads = 1;
    const std::uint64_t needed = planStorage(30, one).totalBytes();
    ComputationSettings scarce;
    scarce.obtainable = ObtainableMemory{needed - 1, MemoryLimit::AddressSpace};
    bool handed = false;
    const ComputationResult result = runComputation(30, 0, scarce, [&](const FinishedLevel&) {
        handed = true;
        return true;
    });
    EXPECT_EQ(result.outcome, Outcome::MemoryShortfall);
    EXPECT_EQ(result.bytesNeeded, needed);
    EXPECT_EQ(result.obtainable.bytes, needed - 1);
    EXPECT_EQ(result.obtainable.limit, MemoryLimit::AddressSpace);
    EXPECT_FALSE(handed);
    EXPECT_EQ(checkStorage(30, 0, scarce).outcome, Outcome::MemoryShortfall);

    // Just enough for one thread: the computation runs, on one thread.
    scarce.obtainable->bytes = needed;
    EXPECT_EQ(checkStorage(30, 0, scarce).outcome, Outcome::Finished);
    EXPECT_EQ(runComputation(30, 0, scarce, [](const FinishedLevel&) { return true; }).outcome,
              Outcome::Finished);
}

// An exception from a callback ends the computation and reaches the caller
// once the threads have stopped, whether it comes in the middle of a level
// shared among threads or between levels.
TEST(Computation, ACallbackThatThrowsEndsTheComputation) {
    struct Thrown {};
    for (int threads : {1, 2, 8}) {
        ComputationSettings settings;
        settings.threads = threads;
        // Level 6 of degree 26 has thousands of generators.
        settings.onProgress = [](const ComputationProgress& now) {
            if (now.k == 6 && now.done > 0) {
                throw Thrown{};
            }
        };
        EXPECT_THROW(runComputation(26, 0, settings, [](const FinishedLevel&) { return true; }),
                     Thrown)
            << threads << " threads";
        settings.onProgress = {};
        int handed = 0;
        EXPECT_THROW(runComputation(26, 0, settings,
                                    [&](const FinishedLevel&) {
                                        if (++handed == 4) {
                                            throw Thrown{};
                                        }
                                        return true;
                                    }),
                     Thrown);
        EXPECT_EQ(handed, 4);
    }
}

// Products keep every level of every degree of the range: the pre-check
// counts them all, and the degrees come out whole.
TEST(Computation, KeptLevelsAreCountedAndHandedOver) {
    ComputationSettings keep;
    keep.keepLevels = true;
    keep.threads = 1;
    std::uint64_t levels = 0;
    for (std::int32_t t = 20; t <= 24; ++t) {
        levels += planStorage(t, keep).levelBytes;
    }
    const std::uint64_t needed = levels + planStorage(24, keep).termSetBytes;
    keep.obtainable = ObtainableMemory{needed - 1, MemoryLimit::CgroupMemory};
    const ComputationResult refused = checkStorageOfRange(20, 24, 0, keep);
    EXPECT_EQ(refused.outcome, Outcome::MemoryShortfall);
    EXPECT_EQ(refused.bytesNeeded, needed);
    keep.obtainable->bytes = needed;
    EXPECT_EQ(checkStorageOfRange(20, 24, 0, keep).outcome, Outcome::Finished);
    // Kept, a level of the whole degree is what the computation handed over.
    std::vector<std::vector<Record>> handed;
    std::vector<FinishedDegree> degrees;
    keep.onDegree = [&](FinishedDegree&& degree) { degrees.push_back(std::move(degree)); };
    runComputation(24, 0, keep, [&](const FinishedLevel& level) {
        handed.emplace_back(level.table.records, level.table.records + level.table.count);
        return true;
    });
    ASSERT_EQ(degrees.size(), 1u);
    for (int k = 0; k < 24; ++k) {
        const LevelTable level = degrees[0].level(k);
        EXPECT_EQ(std::vector<Record>(level.records, level.records + level.count),
                  handed[static_cast<std::size_t>(k)]);
    }
}

TEST(Computation, FewerThreadsWhenTheirTermSetsDoNotFit) {
    ComputationSettings four;
    four.threads = 4;
    const StoragePlan plan = planStorage(40, four);
    const std::uint64_t perSet = plan.termSetBytes / 4;
    EXPECT_EQ(threadsThatFit(plan, plan.totalBytes()), 4);
    EXPECT_EQ(threadsThatFit(plan, UINT64_MAX), 4);
    EXPECT_EQ(threadsThatFit(plan, plan.levelBytes + 3 * perSet + perSet / 2), 3);
    EXPECT_EQ(threadsThatFit(plan, plan.levelBytes + 2 * perSet), 2);
    EXPECT_EQ(threadsThatFit(plan, plan.levelBytes + perSet), 1);
    EXPECT_EQ(threadsThatFit(plan, plan.levelBytes), 1);
    EXPECT_EQ(threadsThatFit(plan, 0), 1);
}

} // namespace
} // namespace curtis
