#pragma once

#include "elimination/generator_tables.hpp"

#include <cstdint>

namespace curtis {

// One line of the chart: a surviving generator (source null), or a generator
// hit by the elimination of source, a word of the level below with another
// cell index.
struct ChartLine {
    const Entry* word;
    const Entry* source;
};

// A level whose states are final, as the computation hands it over.
struct FinishedLevel {
    int k = 0; // level index; homological degree k + 1
    std::int32_t t = 0;
    std::int32_t w = 0;
    LevelTable table;

    int homologicalDegree() const { return k + 1; }
    std::int32_t topologicalDegree() const { return t - k - 1; }
    // The sum of the printed entries of every word of the level.
    std::int32_t coweight() const { return t - w - 1 - k; }

    // Calls f(const ChartLine&) for every line of the level's chart, in
    // table order: Alive records survive; Hit records whose tag has another
    // cell index are arrows; the rest are not shown. The words a line points
    // to are made for the call and valid only during it.
    template <typename F> void forEachLine(F&& f) const {
        const BasisPositions& basis = *table.basis;
        Entry word[maxMonomialLength];
        Entry source[maxMonomialLength];
        for (std::int64_t i = 0; i < table.count; ++i) {
            const GeneratorState state = table.state(i);
            if (state == Alive) {
                basis.wordAt(k, i, word);
                f(ChartLine{word, nullptr});
            } else if (state == Hit && basis.cellAt(k, i) != basis.cellAt(k - 1, table.tag(i))) {
                basis.wordAt(k, i, word);
                basis.wordAt(k - 1, table.tag(i), source);
                f(ChartLine{word, source});
            }
        }
    }
};

} // namespace curtis
