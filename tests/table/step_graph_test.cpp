#include "table/step_graph.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace curtis {
namespace {

using Graph = StepGraph<int>;
using Key = Graph::Key;

Key keyOf(int i) {
    return Key{i % 2, i / 6, i % 3};
}
int indexOf(const Key& key) {
    for (int i = 0;; ++i) {
        if (keyOf(i) == key) {
            return i;
        }
    }
}

// Random graphs run on one to three workers against what they must give:
// every step runs after the steps it depends on, or not at all when one of
// them failed; a step fails with the smallest origin among the failures it
// depends on, directly or not, and otherwise with its own.
TEST(StepGraph, RunsAfterDependenciesAndFailsWithTheSmallestOrigin) {
    std::mt19937 random(52);
    for (int round = 0; round < 60; ++round) {
        const int count = 30;
        const int threads = 1 + round % 3;
        std::vector<std::vector<int>> dependencies(count);
        std::vector<bool> fails(count);
        for (int i = 0; i < count; ++i) {
            fails[static_cast<std::size_t>(i)] = random() % 7 == 0;
            for (int j = 0; j < i; ++j) {
                if (random() % 6 == 0) {
                    dependencies[static_cast<std::size_t>(i)].push_back(j);
                }
            }
        }
        std::mutex mutex;
        std::vector<int> order;
        Graph graph(threads, [&](const Key& key, int) -> std::optional<int> {
            const int i = indexOf(key);
            {
                const std::lock_guard lock(mutex);
                order.push_back(i);
            }
            return fails[static_cast<std::size_t>(i)] ? std::optional<int>(i) : std::nullopt;
        });
        for (int i = 0; i < count; ++i) {
            std::vector<Key> after;
            for (const int j : dependencies[static_cast<std::size_t>(i)]) {
                after.push_back(keyOf(j));
            }
            graph.add(keyOf(i), after);
        }
        // The oracle: the failure each step gives, from its dependencies.
        std::vector<std::optional<int>> expected(count);
        for (int i = 0; i < count; ++i) {
            std::optional<int>& mine = expected[static_cast<std::size_t>(i)];
            for (const int j : dependencies[static_cast<std::size_t>(i)]) {
                const std::optional<int>& theirs = expected[static_cast<std::size_t>(j)];
                if (theirs && (!mine || keyOf(*theirs) < keyOf(*mine))) {
                    mine = theirs;
                }
            }
            const bool runs = !mine;
            if (runs && fails[static_cast<std::size_t>(i)]) {
                mine = i;
            }
        }
        for (int i = count - 1; i >= 0; --i) {
            EXPECT_EQ(graph.wait(keyOf(i), std::chrono::milliseconds(50), {}),
                      expected[static_cast<std::size_t>(i)])
                << "round " << round << " step " << i;
        }
        graph.stop();
        std::vector<int> position(count, -1);
        for (std::size_t at = 0; at < order.size(); ++at) {
            position[static_cast<std::size_t>(order[at])] = static_cast<int>(at);
        }
        for (int i = 0; i < count; ++i) {
            const bool ran = position[static_cast<std::size_t>(i)] >= 0;
            bool blocked = false;
            for (const int j : dependencies[static_cast<std::size_t>(i)]) {
                const int before = position[static_cast<std::size_t>(j)];
                blocked = blocked || before < 0 || fails[static_cast<std::size_t>(j)];
                EXPECT_TRUE(!ran || (before >= 0 && before < position[static_cast<std::size_t>(i)]))
                    << "round " << round << " step " << i << " after " << j;
            }
            EXPECT_EQ(ran, !blocked) << "round " << round << " step " << i;
        }
    }
}

// Steps that keep finishing do not hold back the waiter's calls: while one
// step waits for the third call, another keeps adding and finishing steps.
// Stop ends the running step, which asks, and leaves what waits for it.
TEST(StepGraph, WaiterCallsOnTimeAndStopEndsTheRun) {
    std::atomic<int> calls{0};
    std::atomic<bool> runsOn{false};
    std::atomic<bool> afterStopRan{false};
    Graph* self = nullptr;
    const auto run = [&](const Key& key, int) -> std::optional<int> {
        if (key.L == 1 && key.t == 1001) {
            afterStopRan = true;
        }
        if (key.table == 1) { // the waited-for step
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (calls < 3 && std::chrono::steady_clock::now() < giveUp) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return calls >= 3 ? std::nullopt : std::optional<int>(1);
        }
        if (key.L == 1) { // runs until told to stop
            runsOn = true;
            while (!self->stopping()) {
                std::this_thread::yield();
            }
            return std::nullopt;
        }
        if (calls < 3) { // the next of a chain of short steps
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            self->add({0, key.t + 1, 0}, {});
        }
        return std::nullopt;
    };
    Graph graph(2, run);
    self = &graph;
    graph.add({1, 0, 0}, {});
    graph.add({0, 1, 0}, {});
    EXPECT_EQ(graph.wait({1, 0, 0}, std::chrono::milliseconds(20), [&] { ++calls; }), std::nullopt);
    EXPECT_GE(calls.load(), 3);

    graph.add({0, 1000, 1}, {});
    graph.add({0, 1001, 1}, {{0, 1000, 1}});
    while (!runsOn) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(graph.stopping());
    graph.stop();
    EXPECT_TRUE(graph.stopping());
    EXPECT_FALSE(afterStopRan); // the step after the stopped one never ran
}

} // namespace
} // namespace curtis
