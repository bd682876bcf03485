#pragma once

#include "table/computation.hpp"

namespace curtis {

// One line of the chart: a surviving generator (source null), or a generator
// hit by the elimination of source, a word of the level below with another
// cell index.
struct ChartLine {
    const Entry* word;
    const Entry* source;
};

// Calls f(const ChartLine&) for every line of the chart of a finished level,
// in the chart's order (decreasing words): Alive records survive; Hit
// records whose tag has another cell index are arrows; the rest are not
// shown. Every word that survives or is hit from another cell is an E1
// generator, so the kept records hold every line. Pairings within one cell
// are the Lambda algebra's own differential, the same for every space, and
// are left out.
template <typename F> void forEachChartLine(const FinishedLevel& level, F&& f) {
    const LevelRecords& records = level.records();
    const std::vector<std::int32_t>& order = records.increasing();
    for (auto i = order.rbegin(); i != order.rend(); ++i) {
        const Entry* word = records.word(*i);
        const GeneratorState state = records.state(*i);
        if (state == Alive) {
            f(ChartLine{word, nullptr});
        } else if (state == Hit) {
            const Entry* source = level.below().word(records.partner(*i));
            if (source[0] != word[0]) {
                f(ChartLine{word, source});
            }
        }
    }
}

} // namespace curtis
