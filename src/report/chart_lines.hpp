#pragma once

#include "elimination/finished_level.hpp"

namespace curtis {

// One line of the chart: a surviving generator (source null), or a generator
// hit by the elimination of source, a word of the level below with another
// cell index.
struct ChartLine {
    const Entry* word;
    const Entry* source;
};

// Calls f(const ChartLine&) for every line of the chart of a finished level,
// in table order: Alive records survive; Hit records whose tag has another
// cell index are arrows; the rest are not shown. Pairings within one cell
// are the Lambda algebra's own differential, the same for every space, and
// are left out. The words a line points to are made for the call and valid
// only during it.
template <typename F> void forEachChartLine(const FinishedLevel& level, F&& f) {
    const LevelTable& table = level.table;
    const BasisPositions& basis = *table.basis;
    const int k = level.k;
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

} // namespace curtis
