// Micro-benchmarks of the hot operations: toggle, boundary, reduction, the
// lookup of a record, and the tables of whole degrees.
#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"
#include "algebra/run_sum.hpp"
#include "algebra/term_set.hpp"
#include "oracle/basis.hpp"
#include "table/computation.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <vector>

namespace curtis {
using oracle::enumerateLevel;
namespace {

// The words of level k of total degree t, k + 1 entries each, one after
// another.
std::vector<Entry> levelWords(int t, int k) {
    std::vector<Entry> all;
    enumerateLevel(t, k, [&](const Entry* word) {
        for (int e = 0; e <= k; ++e) {
            all.push_back(word[e]);
        }
        return true;
    });
    return all;
}

// A set of `rows` random rows of 14 entries.
void fillTermSet(TermSet& set, int rows) {
    constexpr int length = 14;
    set.clear(length);
    std::vector<Entry> word(length, 0);
    std::srand(7);
    while (set.rowCount() < rows) {
        for (int e = 0; e < length; ++e) {
            word[static_cast<std::size_t>(e)] = static_cast<Entry>(std::rand() % 4);
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

// Chain-like rounds, as an elimination's long chains make them: a sum of
// `range(0)` random terms of 16 entries, then as many rounds, each reading
// the greatest term, toggling it out and toggling in 9 terms that share its
// first 5 to 9 entries, all but about one in 37 below it. The same rounds run
// against the indexed set and the sum kept in sorted runs.
struct ChainRounds {
    static constexpr int length = 16;
    std::mt19937 random{11};
    std::array<Entry, length> term{};

    void randomTerm() {
        for (Entry& e : term) {
            e = static_cast<Entry>(random() % 40);
        }
    }
    // A term sharing the first entries of greatest, above it or below.
    void termNear(const Entry* greatest) {
        std::copy(greatest, greatest + length, term.begin());
        const std::size_t shared = 5 + random() % 5;
        const bool above = random() % 37 == 0;
        const unsigned at = greatest[shared];
        term[shared] = static_cast<Entry>(above ? at + 1 + random() % 3 : random() % (at + 1));
        for (std::size_t e = shared + 1; e < length; ++e) {
            term[e] = static_cast<Entry>(random() % 40);
        }
    }
    template <typename Toggle, typename Leading>
    std::int64_t run(int terms, Toggle&& toggle, Leading&& leading) {
        std::int64_t toggles = terms;
        for (int i = 0; i < terms; ++i) {
            randomTerm();
            toggle(term.data());
        }
        for (int round = 0; round < terms; ++round) {
            const Entry* greatest = leading();
            if (greatest == nullptr) {
                break;
            }
            std::array<Entry, length> lead{};
            std::copy(greatest, greatest + length, lead.begin());
            toggle(lead.data());
            for (int i = 0; i < 9; ++i) {
                termNear(lead.data());
                toggle(term.data());
            }
            toggles += 10;
        }
        return toggles;
    }
};

void BM_ChainRoundsTermSet(benchmark::State& state) {
    TermSet set;
    if (!set.allocate(TermSet::maxRowLimit, ChainRounds::length)) {
        std::abort();
    }
    std::int64_t toggles = 0;
    for (auto _ : state) {
        set.clear(ChainRounds::length);
        ChainRounds rounds;
        toggles += rounds.run(
            static_cast<int>(state.range(0)),
            [&](const Entry* term) {
                set.toggleHashed(term, monomialHash(term, ChainRounds::length));
            },
            [&]() { return set.rowCount() == 0 ? nullptr : set.row(set.greatestRow()); });
    }
    state.SetItemsProcessed(toggles);
    state.counters["bytes"] = static_cast<double>(set.bytes());
}
BENCHMARK(BM_ChainRoundsTermSet)
    ->Arg(1 << 12)
    ->Arg(1 << 15)
    ->Arg(1 << 18)
    ->Unit(benchmark::kMillisecond);

void BM_ChainRoundsRunSum(benchmark::State& state) {
    RunSum sum;
    std::int64_t toggles = 0;
    for (auto _ : state) {
        sum.clear(ChainRounds::length);
        ChainRounds rounds;
        toggles += rounds.run(
            static_cast<int>(state.range(0)), [&](const Entry* term) { sum.toggle(term); },
            [&]() { return sum.leading().term; });
    }
    state.SetItemsProcessed(toggles);
    state.counters["bytes"] = static_cast<double>(sum.bytes());
}
BENCHMARK(BM_ChainRoundsRunSum)
    ->Arg(1 << 12)
    ->Arg(1 << 15)
    ->Arg(1 << 18)
    ->Unit(benchmark::kMillisecond);

// The boundary of every generator of level k of t = 30 in turn, each into an
// empty set, and reduced to admissible form if asked.
void boundariesOfLevel(benchmark::State& state, bool reduce) {
    const int k = static_cast<int>(state.range(0));
    const std::vector<Entry> words = levelWords(30, k);
    TermSet set = benchTermSet();
    std::size_t at = 0;
    for (auto _ : state) {
        set.clear(k + 2);
        appendBoundary(words.data() + at, k, 0, set);
        if (reduce) {
            reduceToAdmissible(set);
        }
        benchmark::DoNotOptimize(set.rowCount());
        at = (at + static_cast<std::size_t>(k) + 1) % words.size();
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

// The lookup of every word of level k of the sphere's degree 40 in turn,
// through its suffixes.
void BM_SphereLookup(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    constexpr int t = 40;
    ComputationSettings settings;
    settings.topCell = 0;
    Computation computation(0, settings);
    if (computation.extendSphere(t).outcome != Outcome::Finished) {
        std::abort();
    }
    std::vector<Entry> words;
    enumerateLevel(
        t, k,
        [&](const Entry* word) {
            for (int e = 0; e <= k; ++e) {
                words.push_back(word[e]);
            }
            return true;
        },
        0);
    Entry partner[maxMonomialLength];
    std::size_t at = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(computation.sphere().record(t, k, words.data() + at, partner));
        at = (at + static_cast<std::size_t>(k) + 1) % words.size();
    }
}
BENCHMARK(BM_SphereLookup)->Arg(6)->Arg(14);

// The sphere's tables to degree t, from nothing, the survivors whose chains
// have at least `kept` words keeping their cycles (0: none).
void BM_SphereTables(benchmark::State& state) {
    const int t = static_cast<int>(state.range(0));
    for (auto _ : state) {
        ComputationSettings settings;
        settings.topCell = 0;
        settings.keptChains = state.range(1);
        Computation computation(0, settings);
        benchmark::DoNotOptimize(computation.extendSphere(t).outcome);
    }
}
BENCHMARK(BM_SphereTables)
    ->Args({32, 256})
    ->Args({40, 256})
    ->Args({52, 0})
    ->Args({52, 256})
    ->Unit(benchmark::kMillisecond);

// Degree t of P_0 alone, its sphere's tables computed beforehand.
void BM_SpaceDegree(benchmark::State& state) {
    const int t = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Computation computation(0, {});
        computation.extendSphere(t);
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            computation.computeDegree(t, [](const FinishedLevel&) { return true; }).outcome);
    }
}
BENCHMARK(BM_SpaceDegree)->Arg(32)->Arg(40)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace curtis

BENCHMARK_MAIN();
