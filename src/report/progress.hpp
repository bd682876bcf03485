#pragma once

#include "chart/reading_progress.hpp"
#include "table/computation.hpp"

#include <chrono>
#include <cstdio>
#include <string>

namespace curtis {

// One line on the error stream that tells how far a long computation is:
// the total degree within its range (when a range is set), the sphere's
// degree whose table is being computed for it (if it is), the homological
// degree being eliminated (of t), the E1 generators done of that level's
// candidates, and the time since the line was made; after the elimination,
// the reading under way, its steps done and the time it has left. It is kept only when the stream
// is a terminal, rewritten in place at each new level and otherwise at most four times a second,
// and erased by clear (and when the object goes away), so that pipes and files never see it. When
// the chart goes to the same terminal, the chart's writer brackets each of its writes with suspend
// and resume: the line is erased, and drawn again at once after the write, so it never vanishes for
// long.
class ProgressLine {
public:
    // stream: where the line goes; chart: where the chart goes.
    ProgressLine(std::FILE* stream, std::FILE* chart);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The total degrees computed, first to last, named in the line.
    void setRange(std::int32_t first, std::int32_t last);

    void update(const ComputationProgress& progress);
    // A reading after the elimination: its phase, shown at once when it is
    // new, with its count of steps and, once one is done, the time left at
    // the rate of the phase's work so far.
    void update(const ReadingProgress& reading);
    // Before and after a write to the chart.
    void suspend();
    void resume();
    void clear();

private:
    // Whether to draw now (and when it was): at once, or after the interval.
    bool due(bool atOnce);
    // Draws what, followed by the time elapsed.
    void draw(const char* what);
    // Draws the text again.
    void draw();

    std::FILE* stream_;
    bool terminal_;
    bool chartOnTerminal_;
    bool shown_ = false;
    std::int32_t first_ = 0;
    std::int32_t last_ = 0;
    std::string text_;
    std::int32_t shownT_ = 0;
    int shownK_ = -1;
    bool shownSphere_ = false;
    std::string phase_; // the reading's phase shown, and when it began
    std::chrono::steady_clock::time_point phaseStart_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point drawn_;
};

} // namespace curtis
