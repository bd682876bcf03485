// Micro-benchmarks of the hot operations: toggle, boundary, reduction and the
// elimination of one level at a realistic size.
#include "algebra/basis.hpp"
#include "algebra/boundary.hpp"
#include "algebra/positions.hpp"
#include "algebra/reduction.hpp"
#include "algebra/term_set.hpp"
#include "elimination/computation.hpp"
#include "elimination/level_elimination.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace curtis {
namespace {

// Storage for total degree t and weight w with levels 0 to `levels` built and
// every level below `levels` eliminated, as the computation leaves them.
struct Prepared {
    int t;
    std::int32_t w;
    BasisPositions basis;
    GeneratorTables tables;
    TermSet set;

    Prepared(int t_, std::int32_t w_, int levels) : t(t_), w(w_), basis(t_) {
        const StoragePlan plan = planStorage(t, {});
        if (!tables.allocate(basis, plan.levelCapacities) || !set.allocate(plan.termSetRows, t)) {
            std::abort();
        }
        build(0);
        for (int k = 0; k < levels; ++k) {
            build(k + 1);
            eliminateLevel(tables.table(k), tables.table(k + 1), w, set);
        }
    }

    void build(int L) { tables.open(L); }

    // The words of level k, k + 1 entries each, one after another.
    std::vector<Entry> words(int k) {
        std::vector<Entry> all;
        enumerateLevel(t, k, [&](const Entry* word) {
            for (int e = 0; e <= k; ++e) {
                all.push_back(word[e]);
            }
            return true;
        });
        return all;
    }
};

// A set of `rows` random rows of 14 entries.
void fillTermSet(TermSet& set, int rows) {
    constexpr int length = 14;
    set.clear(length);
    std::vector<Entry> word(length, 0);
    std::srand(7);
    while (set.rowCount() < rows) {
        for (int e = 0; e < length; ++e) {
            word[e] = static_cast<Entry>(std::rand() % 4);
        }
        set.toggle(word.data());
    }
}

TermSet benchTermSet() {
    TermSet set;
    if (!set.allocate(10000, 30)) {
        std::abort();
    }
    return set;
}

// Toggling a monomial in and out of a set that holds `rows` other rows,
// through toggle, which hashes the whole candidate.
void BM_Toggle(benchmark::State& state) {
    TermSet set = benchTermSet();
    fillTermSet(set, static_cast<int>(state.range(0)));
    const std::vector<Entry> word(14, 9);
    for (auto _ : state) {
        set.toggle(word.data());
        set.toggle(word.data());
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_Toggle)->Arg(8)->Arg(64)->Arg(512)->Arg(4096);

// The same with the hash known, as the boundary and the reduction call it.
void BM_ToggleHashed(benchmark::State& state) {
    TermSet set = benchTermSet();
    fillTermSet(set, static_cast<int>(state.range(0)));
    const std::vector<Entry> word(14, 9);
    const std::uint32_t hash = monomialHash(word.data(), 14);
    for (auto _ : state) {
        set.toggleHashed(word.data(), hash);
        set.toggleHashed(word.data(), hash);
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_ToggleHashed)->Arg(8)->Arg(64)->Arg(512)->Arg(4096);

// The boundary of every generator of level k of t = 30 in turn, each into an
// empty set, and reduced to admissible form if asked.
void boundariesOfLevel(benchmark::State& state, bool reduce) {
    const int k = static_cast<int>(state.range(0));
    Prepared storage(30, 0, 0);
    storage.build(k);
    const std::vector<Entry> words = storage.words(k);
    TermSet& set = storage.set;
    std::size_t at = 0;
    for (auto _ : state) {
        set.clear(k + 2);
        appendBoundary(words.data() + at, k, storage.w, set);
        if (reduce) {
            reduceToAdmissible(set);
        }
        benchmark::DoNotOptimize(set.rowCount());
        at = (at + k + 1) % words.size();
    }
}

void BM_Boundary(benchmark::State& state) {
    boundariesOfLevel(state, false);
}
BENCHMARK(BM_Boundary)->Arg(6)->Arg(10);

void BM_BoundaryAndReduction(benchmark::State& state) {
    boundariesOfLevel(state, true);
}
BENCHMARK(BM_BoundaryAndReduction)->Arg(6)->Arg(10);

// The position of every word of level k of t = 40 in turn, and the word at
// every position.
void BM_PositionOf(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    Prepared storage(40, 0, 0);
    const std::vector<Entry> words = storage.words(k);
    std::size_t at = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(storage.basis.positionOf(k, words.data() + at));
        at = (at + k + 1) % words.size();
    }
}
BENCHMARK(BM_PositionOf)->Arg(6)->Arg(14);

void BM_WordAt(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    Prepared storage(40, 0, 0);
    const std::int64_t size = storage.basis.levelSize(k);
    Entry word[maxMonomialLength];
    std::int64_t position = 0;
    for (auto _ : state) {
        storage.basis.wordAt(k, position, word);
        benchmark::DoNotOptimize(word[0]);
        position = (position + 7919) % size;
    }
}
BENCHMARK(BM_WordAt)->Arg(6)->Arg(14);

// Stepping through a level in the elimination's order.
void BM_StepUp(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    Prepared storage(40, 0, 0);
    Entry word[maxMonomialLength];
    const std::int64_t last = storage.basis.levelSize(k) - 1;
    storage.basis.wordAt(k, last, word);
    for (auto _ : state) {
        if (!storage.basis.stepUp(k, word)) {
            storage.basis.wordAt(k, last, word);
        }
        benchmark::DoNotOptimize(word[0]);
    }
}
BENCHMARK(BM_StepUp)->Arg(6)->Arg(14);

// One level's elimination: level 9 of t = 31 (w = 0), the largest one, with
// its Hit generators as the elimination of level 8 left them.
void BM_EliminateLevel(benchmark::State& state) {
    constexpr int t = 31;
    constexpr int k = 9;
    Prepared storage(t, 0, k);
    const LevelTable current = storage.tables.table(k);
    const std::vector<Record> records(current.records, current.records + current.count);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(records.begin(), records.end(), current.records);
        storage.build(k + 1);
        state.ResumeTiming();
        eliminateLevel(current, storage.tables.table(k + 1), storage.w, storage.set);
    }
    state.counters["generators"] = static_cast<double>(current.count);
}
BENCHMARK(BM_EliminateLevel)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace curtis

BENCHMARK_MAIN();
