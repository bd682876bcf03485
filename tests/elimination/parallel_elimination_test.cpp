// The elimination on several threads against the single-threaded one: the
// same states and tags on every level, the same charts, the same failures.
#include "report/chart_lines.hpp"
#include "support/levels.hpp"
#include "support/term_sets.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace curtis {
namespace {

#ifdef CURTIS_THREAD_SANITIZED
constexpr int largestDegree = 27; // ThreadSanitizer runs some ten times slower
#else
constexpr int largestDegree = 30;
#endif

// Every state and, for Hit records, every tag of level L, as text.
std::string levelText(testing::Levels& levels, int L) {
    const LevelTable table = levels.tables().table(L);
    std::string text;
    for (std::int64_t i = 0; i < table.count; ++i) {
        text += static_cast<char>('0' + table.state(i));
        if (table.state(i) == Hit) {
            text += std::to_string(table.tag(i)) + ",";
        }
    }
    return text;
}

// Every record of every level, not only what the chart shows: the hand-over
// in chunks, the commits in order and the retraces leave exactly the states
// and tags of the single-threaded elimination.
TEST(ParallelElimination, SameStatesAndTagsAsOneThread) {
    for (int t : {18, largestDegree - 2}) {
        for (std::int32_t w : {-2, 0, 3}) {
            testing::Levels single(t, w, 1);
            testing::Levels crew2(t, w, 2);
            testing::Levels crew8(t, w, 8);
            for (int k = 0; k + 1 < t; ++k) {
                ASSERT_EQ(single.step(k), EliminationStatus::Ok);
                ASSERT_EQ(crew2.step(k), EliminationStatus::Ok);
                ASSERT_EQ(crew8.step(k), EliminationStatus::Ok);
                const std::string expected = levelText(single, k);
                ASSERT_EQ(levelText(crew2, k), expected)
                    << "t " << t << " w " << w << " level " << k;
                ASSERT_EQ(levelText(crew8, k), expected)
                    << "t " << t << " w " << w << " level " << k;
            }
            EXPECT_EQ(levelText(crew2, t - 1), levelText(single, t - 1));
        }
    }
}

// The whole computation as the program runs it, the chart written as text,
// or the failure that ended it.
std::string chart(int t, std::int32_t w, ComputationSettings settings) {
    std::string text;
    const ComputationResult result =
        runComputation(t, w, settings, [&](const FinishedLevel& level) {
            text += "s=" + std::to_string(level.homologicalDegree()) + "\n";
            forEachChartLine(level, [&](const ChartLine& line) {
                for (const std::int32_t entry : testing::printed(line.word, level.k + 1, w)) {
                    text += std::to_string(entry) + " ";
                }
                if (line.source != nullptr) {
                    text += "<-- ";
                    for (const std::int32_t entry : testing::printed(line.source, level.k, w)) {
                        text += std::to_string(entry) + " ";
                    }
                }
                text += "\n";
            });
            return true;
        });
    text += "outcome " + std::to_string(static_cast<int>(result.outcome)) + " level " +
            std::to_string(result.level) + " limit " + std::to_string(result.limit) + "\n";
    return text;
}

TEST(ParallelElimination, SameChartsForOneTwoThreeAndEightThreads) {
    for (int t = 1; t <= largestDegree; ++t) {
        for (std::int32_t w : {-1000000000, -1, 0, 4}) {
            ComputationSettings settings;
            settings.threads = 1;
            const std::string expected = chart(t, w, settings);
            ASSERT_NE(expected.find("outcome 0 "), std::string::npos);
            for (int threads : {2, 3, 8}) {
                settings.threads = threads;
                ASSERT_EQ(chart(t, w, settings), expected)
                    << "t " << t << " w " << w << " threads " << threads;
            }
        }
    }
}

// Term sets too small for some boundary: the run stops at the same level,
// after the same chart, whatever the number of threads. At t = 26 the sets
// of 62 to 90 rows overflow in level 5, whose 5657 generators are shared out
// among the threads.
TEST(ParallelElimination, ATermSetOverflowStopsAtTheSameLevel) {
    int sharedLevelOverflows = 0;
    for (std::int32_t rows : {20, 40, 62, 75, 90, 100}) {
        ComputationSettings settings;
        settings.termSetRows = rows;
        settings.threads = 1;
        const std::string expected = chart(26, 1, settings);
        if (expected.find("outcome 5 level 5 ") != std::string::npos) {
            ++sharedLevelOverflows;
        }
        for (int threads : {2, 3, 8}) {
            settings.threads = threads;
            EXPECT_EQ(chart(26, 1, settings), expected) << rows << " rows, " << threads;
        }
    }
    EXPECT_EQ(sharedLevelOverflows, 3);
}

TEST(ParallelElimination, TheThreadsAreCountedInTheStorage) {
    ComputationSettings settings;
    settings.threads = 1;
    const StoragePlan one = planStorage(30, settings);
    settings.threads = 4;
    const StoragePlan four = planStorage(30, settings);
    EXPECT_EQ(one.termSets, 1);
    EXPECT_EQ(four.termSets, 4);
    EXPECT_EQ(four.termSetBytes, 4 * one.termSetBytes);
    EXPECT_EQ(four.levelBytes, one.levelBytes);
    EXPECT_GE(planStorage(30, {}).threads, 1);
}

} // namespace
} // namespace curtis
