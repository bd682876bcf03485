#pragma once

#include "check/invariant.hpp"
#include "table/computation.hpp"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace curtis {

// The chart's order of a level is decreasing words: the survivors in that
// order are its classes, class j the j-th survivor. Everything that walks
// a level in the chart's order walks it here.

// A record of a finished level the chart reads: a survivor (tag null), or a
// record Hit by tag, the word of the level below whose elimination ended on
// it.
struct ChartRecord {
    std::int32_t record = 0; // in the level's kept records
    const Entry* word = nullptr;
    const Entry* tag = nullptr;
};

// Calls f(const ChartRecord&) for every survivor and every Hit record of a
// finished level, in the chart's order. Source records are not read.
template <typename F> void forEachChartRecord(const FinishedLevel& level, F&& f) {
    const LevelRecords& records = level.records();
    const std::vector<std::int32_t>& order = records.increasing();
    for (auto i = order.rbegin(); i != order.rend(); ++i) {
        ChartRecord line;
        line.record = *i;
        line.word = records.word(*i);
        const GeneratorState state = records.state(*i);
        if (state == Hit) {
            line.tag = level.below().word(records.partner(*i));
        }
        if (state == Alive || state == Hit) {
            f(line);
        }
    }
}

// One line of the chart: a surviving generator (source null), or a generator
// hit by the elimination of source, a word of the level below with another
// cell index.
struct ChartLine {
    std::int32_t record = 0; // the generator's, in the level's kept records
    const Entry* word = nullptr;
    const Entry* source = nullptr;
};

// Calls f(const ChartLine&) for every line of the chart of a finished level,
// in the chart's order: Alive records survive; Hit records whose tag has
// another cell index are arrows; the rest are not shown. Every word that
// survives or is hit from another cell is an E1 generator, so the kept
// records hold every line. Pairings within one cell are the Lambda
// algebra's own differential, the same for every space, and are left out.
template <typename F> void forEachChartLine(const FinishedLevel& level, F&& f) {
    forEachChartRecord(level, [&](const ChartRecord& r) {
        if (r.tag == nullptr || r.tag[0] != r.word[0]) {
            ChartLine line;
            line.record = r.record;
            line.word = r.word;
            line.source = r.tag;
            f(line);
        }
    });
}

// The survivors of a level's kept records in the chart's order, with the
// way back from a survivor's record to its place among them.
class ChartSurvivors {
public:
    explicit ChartSurvivors(const LevelRecords& level);

    std::size_t size() const { return records_.size(); }
    // The record of class j.
    std::int32_t record(std::size_t j) const { return records_[j]; }
    // Every survivor's record, class 0 first.
    const std::vector<std::int32_t>& records() const { return records_; }
    // Whether a record is a survivor's.
    bool holds(std::int32_t record) const;
    // The place of a survivor's record among the classes (size() for any
    // other record, which no reading gives).
    std::size_t place(std::int32_t record) const;
    // The places of survivors' records, in increasing order.
    std::vector<std::size_t> places(const std::vector<std::int32_t>& records) const;

private:
    std::vector<std::int32_t> records_;
    // (record, place) for every survivor, by increasing record.
    std::vector<std::pair<std::int32_t, std::size_t>> byRecord_;
};

} // namespace curtis
