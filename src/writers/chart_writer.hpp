#pragma once

#include "chart/printed_chart.hpp"

#include <cstdio>
#include <memory>

namespace curtis {

// One output format. The chart tool calls begin once, then for every total
// degree beginDegree, level for each of its levels as soon as it is
// finished, and endDegree; and end once everything is computed (products
// included). A format that streams writes as it is told; the others write
// the whole chart at the end. Every call may write to the stream; the tool
// flushes it after each call and stops when a write fails.
class ChartWriter {
public:
    virtual ~ChartWriter() = default;

    // chart holds the plan (the space, the range, the readings, what to draw);
    // it has no degrees yet.
    virtual void begin(const PrintedChart& chart) { static_cast<void>(chart); }
    virtual void beginDegree(std::int32_t t) { static_cast<void>(t); }
    // degree holds the levels before this one.
    virtual void level(const PrintedDegree& degree, const PrintedLevel& level) {
        static_cast<void>(degree);
        static_cast<void>(level);
    }
    virtual void endDegree(const PrintedDegree& degree) { static_cast<void>(degree); }
    virtual void end(const PrintedChart& chart) { static_cast<void>(chart); }
    // Whether the writer reads the readings' references (products,
    // transfer images): then the chart is checked before end. One that
    // streams reads none.
    virtual bool readsReferences() const { return true; }
};

} // namespace curtis
