#pragma once

#include "elimination/computation.hpp"

#include <chrono>
#include <cstdio>

namespace curtis {

// One line on the error stream that tells how far a long computation is:
// the homological degree being eliminated (of t), the generators done of
// that level's total, and the time since the line was made. It is kept only
// when the stream is a terminal, rewritten in place at most four times a
// second, and erased by clear (and when the object goes away), so that
// pipes and files never see it.
class ProgressLine {
public:
    explicit ProgressLine(std::FILE* stream);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool shown() const { return shown_; }
    void update(const ComputationProgress& progress);
    void clear();

private:
    std::FILE* stream_;
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_;
};

} // namespace curtis
