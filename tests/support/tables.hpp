#pragma once

#include "support/term_sets.hpp"
#include "table/computation.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace curtis::testing {

// The program's tables of P_{-w}^{top} for the degrees first .. last, all
// planned at once and run on `threads` threads, read by printed words.
class Tables {
public:
    Tables(int last, std::int32_t w, std::optional<std::int32_t> top = std::nullopt,
           std::optional<int> band = std::nullopt, int first = 1, int threads = 1)
        : w_(w), computation_(w, settings(top, band, threads)) {
        std::vector<std::int32_t> degrees;
        for (int t = first; t <= last; ++t) {
            degrees.push_back(t);
        }
        computation_.plan(degrees);
        for (int t = first; t <= last; ++t) {
            EXPECT_EQ(
                computation_.computeDegree(t, [](const FinishedLevel&) { return true; }).outcome,
                Outcome::Finished)
                << "t " << t;
        }
    }

    Computation& computation() { return computation_; }
    const Computation& computation() const { return computation_; }
    const CurtisTable& table() const { return computation_.table(); }

    // The record of a word of level k in degree t through the lookup, and
    // its partner (the tag of a Hit word, the target of a Source), printed.
    GeneratorState state(int t, int k, const Word& word) const {
        return table().record(t, k, stored(word, w_).data(), nullptr);
    }
    Word partner(int t, int k, const Word& word) const {
        Entry partner[maxMonomialLength];
        const GeneratorState state = table().record(t, k, stored(word, w_).data(), partner);
        return state == Alive ? Word{} : printed(partner, state == Hit ? k : k + 2, w_);
    }

    // The survivors of level k in degree t, in the chart's order.
    Words survivors(int t, int k) const {
        Words words;
        const LevelRecords& level = table().kept(t, k);
        const std::vector<std::int32_t>& order = level.increasing();
        for (auto i = order.rbegin(); i != order.rend(); ++i) {
            if (level.state(*i) == Alive) {
                words.push_back(printed(level.word(*i), k + 1, w_));
            }
        }
        return words;
    }

private:
    static ComputationSettings settings(std::optional<std::int32_t> top, std::optional<int> band,
                                        int threads) {
        ComputationSettings settings;
        settings.threads = threads;
        settings.topCell = top;
        settings.maxFiltration = band;
        return settings;
    }

    std::int32_t w_;
    Computation computation_;
};

} // namespace curtis::testing
