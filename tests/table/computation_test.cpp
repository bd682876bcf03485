#include "chart/chart_lines.hpp"
#include "support/term_sets.hpp"
#include "table/computation.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
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

HandedLevel handed(const FinishedLevel& level) {
    HandedLevel handed{level.homologicalDegree(), level.topologicalDegree(), level.coweight(), {}};
    forEachChartLine(level, [&](const ChartLine& line) {
        handed.lines.emplace_back(printed(line.word, level.k + 1, level.w),
                                  line.source != nullptr ? printed(line.source, level.k, level.w)
                                                         : Word{});
    });
    return handed;
}

std::vector<HandedLevel> handedLevels(int t, std::int32_t w, ComputationResult* result = nullptr,
                                      const ComputationSettings& settings = {}) {
    std::vector<HandedLevel> levels;
    const ComputationResult outcome =
        runComputation(t, w, settings, [&](const FinishedLevel& level) {
            levels.push_back(handed(level));
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

// Every Hit record of the sphere's table made a Source behind its back: a
// later elimination meets one as a leading term, through the suffixes of the
// words it looks up.
ComputationSettings contradicted() {
    ComputationSettings corrupt;
    corrupt.afterSphereLevel = [](SphereTable& sphere, std::int32_t t, int k) {
        LevelRecords& level = sphere.kept(t, k);
        for (std::int32_t i = 0; k >= 1 && i < level.size(); ++i) {
            if (level.state(i) == Hit) {
                level.set(i, Source, level.partner(i));
            }
        }
    };
    return corrupt;
}

TEST(Computation, FailuresNameTheLevelAndStopTheHandingOver) {
    ComputationResult result;
    ComputationSettings tight;
    tight.termSetRows = 1; // the boundary of (4) has two terms
    std::vector<HandedLevel> levels = handedLevels(5, 0, &result, tight);
    EXPECT_EQ(result.outcome, Outcome::TermSetFull);
    EXPECT_EQ(result.level, 0);
    EXPECT_FALSE(result.sphere);
    EXPECT_EQ(result.limit, 1);
    EXPECT_TRUE(levels.empty());

    // The sphere's own tables, computed first, meet the limit before the
    // space's degree 8 does.
    levels = handedLevels(8, 0, &result, tight);
    EXPECT_EQ(result.outcome, Outcome::TermSetFull);
    EXPECT_TRUE(result.sphere);
    EXPECT_TRUE(levels.empty());

    // The levels of the space that do not wait for the contradicted step are
    // handed over before it is reported, the same ones on any number of
    // threads: those of the table as it should be.
    const std::vector<HandedLevel> sound = handedLevels(12, 0);
    ComputationSettings corrupt = contradicted();
    for (const int threads : {1, 2}) {
        corrupt.threads = threads;
        levels = handedLevels(12, 0, &result, corrupt);
        EXPECT_EQ(result.outcome, Outcome::Contradiction);
        EXPECT_TRUE(result.sphere);
        ASSERT_LT(levels.size(), sound.size());
        EXPECT_TRUE(std::equal(levels.begin(), levels.end(), sound.begin())) << threads;
    }
}

// A lookup meets the contradicted Source suffixes in lower degrees while
// other steps are making the levels above them: run many times on two
// threads (under ThreadSanitizer in the thread build), it reads only final
// levels, and reports the same.
TEST(Computation, AContradictedTableReadsOnlyFinalLevels) {
    ComputationSettings corrupt = contradicted();
    corrupt.threads = 2;
    ComputationResult first;
    const std::vector<HandedLevel> expected = handedLevels(16, 0, &first, corrupt);
    EXPECT_EQ(first.outcome, Outcome::Contradiction);
    for (int run = 0; run < 300; ++run) {
        ComputationResult result;
        EXPECT_EQ(handedLevels(16, 0, &result, corrupt), expected) << run;
        EXPECT_EQ(result.outcome, Outcome::Contradiction) << run;
        EXPECT_EQ(result.level, first.level) << run;
    }
}

// Chains that start from a kept cycle of their suffix give the tables the
// whole retrace gives: every record of every level of the sphere to degree
// 34, keeping every survivor's cycle, some, or as many as a few bytes hold.
TEST(Computation, ChainsFromKeptCyclesGiveTheSameTables) {
    constexpr std::int32_t top = 34;
    ComputationSettings none;
    none.keptChains = 0;
    Computation whole(0, none);
    ASSERT_EQ(whole.extendSphere(top).outcome, Outcome::Finished);
    const std::uint64_t unlimited = std::uint64_t{1} << 40;
    for (const auto& [kept, bytes] : {std::pair<std::int64_t, std::uint64_t>{1, unlimited},
                                      {3, unlimited},
                                      {40, unlimited},
                                      {1, 2000}}) {
        ComputationSettings settings;
        settings.keptChains = kept;
        settings.cycleBytes = bytes;
        Computation shortened(0, settings);
        ASSERT_EQ(shortened.extendSphere(top).outcome, Outcome::Finished);
        int cycles = 0;
        std::uint64_t cycleBytes = 0;
        for (std::int32_t t = 1; t <= top; ++t) {
            for (int L = 0; L < t; ++L) {
                const LevelRecords& expected = whole.sphere().kept(t, L);
                const LevelRecords& records = shortened.sphere().kept(t, L);
                ASSERT_EQ(records.size(), expected.size()) << t << " " << L;
                for (std::int32_t i = 0; i < records.size(); ++i) {
                    ASSERT_TRUE(
                        std::equal(records.word(i), records.word(i) + L + 1, expected.word(i)));
                    ASSERT_EQ(records.state(i), expected.state(i));
                    ASSERT_EQ(records.partner(i), expected.partner(i));
                    const PackedWords* cycle = records.cycle(i);
                    cycles += cycle != nullptr;
                    cycleBytes += cycle != nullptr ? cycle->bytes() : 0;
                }
            }
        }
        EXPECT_GT(cycles, 0) << kept;
        EXPECT_LE(cycleBytes, bytes) << kept;
    }
}

TEST(Computation, TheCallerCanStopAfterALevel) {
    int handed = 0;
    const ComputationResult result =
        runComputation(8, 0, {}, [&](const FinishedLevel&) { return ++handed < 3; });
    EXPECT_EQ(result.outcome, Outcome::Stopped);
    EXPECT_EQ(result.level, 2);
    EXPECT_EQ(handed, 3);
}

// What the computation holds (kept records and the term set) is compared
// with what the process can obtain as it grows: a computation that would
// hold more stops, naming both, and one that fits runs.
TEST(Computation, MoreMemoryThanObtainableStops) {
    ComputationSettings plenty;
    Computation measured(0, plenty);
    ASSERT_EQ(measured.computeDegree(30, [](const FinishedLevel&) { return true; }).outcome,
              Outcome::Finished);
    const std::uint64_t held = measured.bytesHeld();
    ComputationSettings scarce;
    scarce.obtainable = ObtainableMemory{held / 2, MemoryLimit::AddressSpace};
    bool handed = false;
    const ComputationResult result = runComputation(30, 0, scarce, [&](const FinishedLevel&) {
        handed = true;
        return true;
    });
    EXPECT_EQ(result.outcome, Outcome::MemoryShortfall);
    EXPECT_GT(result.bytesNeeded, held / 2);
    EXPECT_LE(result.bytesNeeded, held);
    EXPECT_EQ(result.obtainable.bytes, held / 2);
    EXPECT_EQ(result.obtainable.limit, MemoryLimit::AddressSpace);
    EXPECT_FALSE(handed);

    scarce.obtainable->bytes = held;
    EXPECT_EQ(runComputation(30, 0, scarce, [](const FinishedLevel&) { return true; }).outcome,
              Outcome::Finished);
    scarce.checkMemory = false;
    scarce.obtainable->bytes = 0;
    EXPECT_EQ(runComputation(30, 0, scarce, [](const FinishedLevel&) { return true; }).outcome,
              Outcome::Finished);
}

// An exception from a callback ends the computation and reaches the caller,
// whether it comes while a level is awaited or when one is handed over.
TEST(Computation, ACallbackThatThrowsEndsTheComputation) {
    struct Thrown {};
    ComputationSettings settings;
    // The first wait tells the progress at once.
    settings.onProgress = [](const ComputationProgress&) { throw Thrown{}; };
    EXPECT_THROW(runComputation(26, 0, settings, [](const FinishedLevel&) { return true; }),
                 Thrown);
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

// A degree asked for again is read off the table as it stands, and the
// sphere's degrees are computed once for every degree of the space.
TEST(Computation, DegreesAskedForAgainAreReadOff) {
    Computation computation(-1, {});
    std::vector<HandedLevel> first;
    std::vector<HandedLevel> again;
    for (std::vector<HandedLevel>* into : {&first, &again}) {
        ASSERT_EQ(computation
                      .computeDegree(14,
                                     [&](const FinishedLevel& level) {
                                         into->push_back(handed(level));
                                         return true;
                                     })
                      .outcome,
                  Outcome::Finished);
    }
    EXPECT_EQ(first, again);
    EXPECT_EQ(first, handedLevels(14, -1));
    EXPECT_EQ(computation.sphere().degrees(), 14);
    EXPECT_TRUE(computation.computed(14));
    EXPECT_FALSE(computation.computed(13));
}

} // namespace
} // namespace curtis
