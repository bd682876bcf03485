#include "report/progress.hpp"

#include <unistd.h>

namespace curtis {

namespace {

constexpr std::chrono::milliseconds interval{250};

} // namespace

ProgressLine::ProgressLine(std::FILE* stream)
    : stream_(stream), terminal_(isatty(fileno(stream)) == 1),
      start_(std::chrono::steady_clock::now()), last_(start_ - interval) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::update(const ComputationProgress& progress) {
    if (!terminal_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval) {
        return;
    }
    last_ = now;
    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
    // Back to the start of the line, the text, then erase what an earlier,
    // longer text left behind.
    std::fprintf(stream_,
                 "\rdegree s=%d of %d: %lld of %lld generators eliminated, %lld:%02lld:%02lld "
                 "elapsed\033[K",
                 progress.k + 1, progress.t, static_cast<long long>(progress.done),
                 static_cast<long long>(progress.total), seconds / 3600, seconds / 60 % 60,
                 seconds % 60);
    std::fflush(stream_);
    shown_ = true;
}

void ProgressLine::clear() {
    if (shown_) {
        std::fputs("\r\033[K", stream_);
        std::fflush(stream_);
        shown_ = false;
    }
}

} // namespace curtis
