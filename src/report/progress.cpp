#include "report/progress.hpp"

#include <cmath>

#include <unistd.h>

namespace curtis {

namespace {

constexpr std::chrono::milliseconds interval{250};

} // namespace

ProgressLine::ProgressLine(std::FILE* stream, std::FILE* chart)
    : stream_(stream), terminal_(isatty(fileno(stream)) == 1),
      chartOnTerminal_(chart != nullptr && isatty(fileno(chart)) == 1),
      start_(std::chrono::steady_clock::now()), drawn_(start_ - interval) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::setRange(std::int32_t first, std::int32_t last) {
    first_ = first;
    last_ = last;
}

void ProgressLine::update(const ComputationProgress& progress) {
    // A new level is shown at once, progress within a level at most every
    // interval.
    // A new level of the space is shown at once; the sphere's many small
    // levels, and progress within a level, at most every interval.
    if (!due(!progress.sphere &&
             (progress.t != shownT_ || progress.k != shownK_ || progress.sphere != shownSphere_))) {
        return;
    }
    shownT_ = progress.t;
    shownK_ = progress.k;
    shownSphere_ = progress.sphere;
    char range[64] = "";
    if (first_ != 0) {
        std::snprintf(range, sizeof range, "t=%d (%d to %d), ", progress.asked, first_, last_);
    }
    char table[64] = "";
    if (progress.sphere && (progress.t != progress.asked || first_ == 0)) {
        std::snprintf(table, sizeof table, "the sphere's t=%d, ", progress.t);
    }
    char counts[96] = "starting";
    if (progress.total > 0) {
        std::snprintf(counts, sizeof counts, "%lld of %lld E1 generators eliminated",
                      static_cast<long long>(progress.done),
                      static_cast<long long>(progress.total));
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s%sdegree s=%d of %d: %s", range, table, progress.k + 1,
                  progress.t, counts);
    draw(text);
}

void ProgressLine::update(const ReadingProgress& reading) {
    const bool newPhase = phase_ != reading.phase;
    if (newPhase) {
        phase_ = reading.phase;
        phaseStart_ = std::chrono::steady_clock::now();
    }
    if (!due(newPhase)) {
        return;
    }
    char left[64] = "";
    if (reading.done > 0 && reading.share > 0 && reading.share < 1) {
        const double spent = std::chrono::duration<double>(drawn_ - phaseStart_).count();
        const long long seconds = std::llround(spent * (1 - reading.share) / reading.share);
        std::snprintf(left, sizeof left, ", about %lld:%02lld:%02lld left", seconds / 3600,
                      seconds / 60 % 60, seconds % 60);
    }
    char text[224];
    std::snprintf(text, sizeof text, "%s: t=%d (%d to %d), degree s=%d, %zu of %zu %s%s",
                  reading.phase, reading.t, first_, last_, reading.k + 1, reading.done,
                  reading.total, reading.unit, left);
    draw(text);
}

bool ProgressLine::due(bool atOnce) {
    if (!terminal_) {
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!atOnce && now - drawn_ < interval) {
        return false;
    }
    drawn_ = now;
    return true;
}

void ProgressLine::draw(const char* what) {
    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(drawn_ - start_).count();
    char text[256];
    std::snprintf(text, sizeof text, "%s, %lld:%02lld:%02lld elapsed", what, seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    text_ = text;
    draw();
}

void ProgressLine::draw() {
    // Back to the start of the line, the text, then erase what an earlier,
    // longer text left behind.
    std::fprintf(stream_, "\r%s\033[K", text_.c_str());
    std::fflush(stream_);
    shown_ = true;
}

void ProgressLine::suspend() {
    if (chartOnTerminal_ && shown_) {
        std::fputs("\r\033[K", stream_);
        std::fflush(stream_);
    }
}

void ProgressLine::resume() {
    if (chartOnTerminal_ && shown_) {
        draw();
    }
}

void ProgressLine::clear() {
    if (shown_) {
        std::fputs("\r\033[K", stream_);
        std::fflush(stream_);
        shown_ = false;
    }
}

} // namespace curtis
