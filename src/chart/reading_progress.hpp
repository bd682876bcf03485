#pragma once

#include "table/kept_records.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace curtis {

// How far a reading of the chart is: the phase (products, names, ...),
// the level it is at (level k of total degree t), and the steps of the
// phase done, of its total (done < total), each one of `unit`; `share` is
// the part of the phase's work they are, from 0 to 1: steps at higher
// levels cost more.
struct ReadingProgress {
    const char* phase = "";
    const char* unit = "";
    std::int32_t t = 0;
    int k = 0;
    std::size_t done = 0;
    std::size_t total = 0;
    double share = 0;
};

// The work of a reading's step that reads a level, for the estimate of the
// time left: the square of its kept records (a cycle's words, each reduced
// through the level), at least 1.
inline double readingWork(const LevelRecords& level) {
    const double records = static_cast<double>(level.size()) + 1;
    return records * records;
}

// Told before each step of a reading; may be empty.
using OnReadingProgress = std::function<void(const ReadingProgress&)>;

// The steps of one phase of a reading, counted as they start, each with
// its work (readingWork of the level it reads): the phase's total work is
// the sum over its steps.
class ReadingSteps {
public:
    ReadingSteps(const OnReadingProgress& tell, const char* phase, const char* unit,
                 std::size_t total, double totalWork)
        : tell_(tell), totalWork_(totalWork) {
        now_.phase = phase;
        now_.unit = unit;
        now_.total = total;
    }

    // The next step starts, at level k of total degree t, with its work.
    void next(std::int32_t t, int k, double work) {
        if (tell_) {
            now_.t = t;
            now_.k = k;
            now_.share = totalWork_ > 0 ? std::min(1.0, workDone_ / totalWork_) : 0.0;
            tell_(now_);
        }
        ++now_.done;
        workDone_ += work;
    }

private:
    const OnReadingProgress& tell_;
    ReadingProgress now_;
    double totalWork_;
    double workDone_ = 0;
};

} // namespace curtis
