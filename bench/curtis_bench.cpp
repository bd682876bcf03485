// Micro-benchmarks of the hot operations: toggle, boundary, reduction and the
// elimination of one level at a realistic size.
#include "algebra/basis.hpp"
#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"
#include "algebra/term_set.hpp"
#include "elimination/generator_tables.hpp"
#include "elimination/level_elimination.hpp"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace curtis {
namespace {

// Storage for total degree t and weight w with levels 0 to `levels` built and
// every level below `levels` eliminated, as the program leaves them.
struct Prepared {
    GeneratorTables tables;
    std::int32_t w;
    std::int32_t c0;

    Prepared(int t, int w_, int levels) : w(w_), c0(t - w_ - 1) {
        if (createGeneratorTables(tables, t, capacityForDegree(t)) != CreateStatus::Ok) {
            std::abort();
        }
        tables.scratchMonomial[0] = c0;
        appendGenerator(tables, 0, tables.scratchMonomial);
        for (int k = 0; k < levels; ++k) {
            enumerateLevel(tables, k + 1, c0, w);
            eliminateLevel(tables, k, w);
        }
    }
    ~Prepared() { releaseGeneratorTables(tables); }
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;

    // The words of level k, k + 1 entries each, one after another.
    std::vector<std::int32_t> words(int k) {
        std::vector<std::int32_t> result;
        for (std::int32_t i = 0; i < tables.levelCount[k]; ++i) {
            const std::int32_t* word = tables.word(k, i);
            result.insert(result.end(), word, word + k + 1);
        }
        return result;
    }
};

// A set of `rows` random rows of 14 entries in the term set of t = 30.
void fillTermSet(TermSet& set, int rows) {
    constexpr int length = 14;
    clearTermSet(set, length);
    std::vector<std::int32_t> word(length, 0);
    std::srand(7);
    while (set.rowCount < rows) {
        for (int e = 0; e < length; ++e) {
            word[e] = std::rand() % 4;
        }
        toggle(set, word.data());
    }
}

// Toggling a monomial in and out of a set that holds `rows` other rows,
// through toggle, which hashes the whole candidate.
void BM_Toggle(benchmark::State& state) {
    Prepared storage(30, 0, 0);
    TermSet& set = storage.tables.termSet;
    fillTermSet(set, static_cast<int>(state.range(0)));
    const std::vector<std::int32_t> word(14, 9);
    for (auto _ : state) {
        toggle(set, word.data());
        toggle(set, word.data());
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_Toggle)->Arg(8)->Arg(64)->Arg(512)->Arg(4096);

// The same with the hash known, as the boundary and the reduction call it.
void BM_ToggleHashed(benchmark::State& state) {
    Prepared storage(30, 0, 0);
    TermSet& set = storage.tables.termSet;
    fillTermSet(set, static_cast<int>(state.range(0)));
    const std::vector<std::int32_t> word(14, 9);
    const std::uint32_t hash = monomialHash(word.data(), 14);
    for (auto _ : state) {
        toggleHashed(set, word.data(), hash);
        toggleHashed(set, word.data(), hash);
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_ToggleHashed)->Arg(8)->Arg(64)->Arg(512)->Arg(4096);

// The boundary of every generator of level k in turn, each into an empty
// set, and reduced to admissible form if asked.
void boundariesOfLevel(benchmark::State& state, bool reduce) {
    const int k = static_cast<int>(state.range(0));
    Prepared storage(30, 0, 0);
    enumerateLevel(storage.tables, k, storage.c0, storage.w);
    const std::vector<std::int32_t> words = storage.words(k);
    TermSet& set = storage.tables.termSet;
    std::size_t at = 0;
    for (auto _ : state) {
        clearTermSet(set, k + 2);
        appendBoundary(words.data() + at, k, storage.w, set, storage.tables.scratchMonomial);
        if (reduce) {
            reduceToAdmissible(set, storage.tables.scratchMonomial);
        }
        benchmark::DoNotOptimize(set.rowCount);
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

// One level's elimination: level 9 of t = 31 (w = 0), the largest one, with
// its Hit generators as the elimination of level 8 left them.
void BM_EliminateLevel(benchmark::State& state) {
    constexpr int t = 31;
    constexpr int k = 9;
    Prepared storage(t, 0, k);
    GeneratorTables& tables = storage.tables;
    std::vector<std::int32_t> states;
    for (std::int32_t i = 0; i < tables.levelCount[k]; ++i) {
        states.push_back(tables.state(k, i));
    }
    for (auto _ : state) {
        state.PauseTiming();
        for (std::int32_t i = 0; i < tables.levelCount[k]; ++i) {
            tables.state(k, i) = states[i];
        }
        tables.levelCount[k + 1] = 0;
        enumerateLevel(tables, k + 1, storage.c0, storage.w);
        state.ResumeTiming();
        eliminateLevel(tables, k, storage.w);
    }
    state.counters["generators"] = tables.levelCount[k];
}
BENCHMARK(BM_EliminateLevel)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace curtis

BENCHMARK_MAIN();
