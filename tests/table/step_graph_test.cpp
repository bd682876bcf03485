#include "table/step_graph.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

namespace curtis {
namespace {

using Graph = StepGraph<int>;
using Key = Graph::Key;
using Index = std::size_t;
// Distinct keys whose order is not that of their indices.
Key keyOf(Index i) {
    return {int(i % 2), std::int32_t(i / 6), int(i % 3)};
}

// Random graphs on one to three workers against an oracle: a step runs,
// after its dependencies, exactly when none of them failed; it fails with
// the smallest origin among the failures below it, else with its own.
TEST(StepGraph, RunsAfterDependenciesAndFailsWithTheSmallestOrigin) {
    std::mt19937 random(52);
    for (int round = 0; round < 60; ++round) {
        const Index count = 30;
        std::vector<std::vector<Index>> below(count);
        std::vector<std::uint8_t> fails(count);
        std::vector<std::atomic<int>> done(count);
        std::atomic<int> clock{0};
        Graph graph(1 + round % 3, [&](const Key& key, int) -> std::optional<int> {
            const Index i = Index(6 * key.t) + Index(key.L) + (key.table == key.L % 2 ? 0 : 3);
            for (const Index j : below[i]) {
                EXPECT_GT(done[j].load(), 0) << i << " ran before " << j;
            }
            done[i] = ++clock;
            return fails[i] ? std::optional<int>(int(i)) : std::nullopt;
        });
        for (Index i = 0; i < count; ++i) {
            fails[i] = random() % 7 == 0 ? 1 : 0;
            std::vector<Key> after;
            for (Index j = 0; j < i; ++j) {
                if (random() % 6 == 0) {
                    below[i].push_back(j);
                    after.push_back(keyOf(j));
                }
            }
            graph.add(keyOf(i), after);
        }
        std::vector<std::optional<int>> given(count);
        std::vector<std::optional<int>> oracle(count);
        for (Index i = count; i-- > 0;) {
            given[i] = graph.wait(keyOf(i), std::chrono::milliseconds(50), {});
        }
        for (Index i = 0; i < count; ++i) {
            for (const Index j : below[i]) {
                if (oracle[j] &&
                    (!oracle[i] || keyOf(Index(*oracle[j])) < keyOf(Index(*oracle[i])))) {
                    oracle[i] = oracle[j];
                }
            }
            EXPECT_EQ(done[i] > 0, !oracle[i]) << round << " " << i;
            if (!oracle[i] && fails[i]) {
                oracle[i] = int(i);
            }
            EXPECT_EQ(given[i], oracle[i]) << round << " " << i;
        }
    }
}

// Stop ends the step that asks, and what depends on it never runs.
TEST(StepGraph, StopEndsTheRunningStep) {
    std::atomic<bool> running{false};
    std::atomic<bool> dependentRan{false};
    Graph* self = nullptr;
    Graph graph(2, [&](const Key& key, int) -> std::optional<int> {
        dependentRan = dependentRan || key.t == 1;
        running = true;
        while (!self->stopping()) {
            std::this_thread::yield();
        }
        return std::nullopt;
    });
    self = &graph;
    graph.add({0, 0, 0}, {});
    graph.add({0, 1, 0}, {{0, 0, 0}});
    while (!running) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(graph.stopping());
    graph.stop();
    EXPECT_FALSE(dependentRan);
}

} // namespace
} // namespace curtis
