#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace curtis {

// How far a reading of the chart is: the phase (products, names, ...),
// the level it is at (level k of total degree t), and the steps of the
// phase done, of its total; each step is one of `unit`. done < total.
struct ReadingProgress {
    const char* phase = "";
    const char* unit = "";
    std::int32_t t = 0;
    int k = 0;
    std::size_t done = 0;
    std::size_t total = 0;
};

// Told before each step of a reading; may be empty.
using OnReadingProgress = std::function<void(const ReadingProgress&)>;

// The steps of one phase of a reading, counted as they start.
class ReadingSteps {
public:
    ReadingSteps(const OnReadingProgress& tell, const char* phase, const char* unit,
                 std::size_t total)
        : tell_(tell) {
        now_.phase = phase;
        now_.unit = unit;
        now_.total = total;
    }

    // The next step starts, at level k of total degree t.
    void next(std::int32_t t, int k) {
        if (tell_) {
            now_.t = t;
            now_.k = k;
            tell_(now_);
        }
        ++now_.done;
    }

private:
    const OnReadingProgress& tell_;
    ReadingProgress now_;
};

} // namespace curtis
