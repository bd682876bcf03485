#include "app/main_flow.hpp"

#include "app/dialogue.hpp"
#include "app/key_wait.hpp"
#include "report/chart_text.hpp"
#include "report/messages.hpp"
#include "report/progress.hpp"
#include "system/memory_limit.hpp"

#include <cerrno>
#include <cstring>

namespace curtis {

namespace {

// Flushes out; on failure says so on the error stream and returns false.
bool flushChart(std::FILE* out) {
    if (std::fflush(out) == 0 && !std::ferror(out)) {
        return true;
    }
    const int error = errno;
    std::fprintf(stderr, "Error: cannot write the chart to standard output (%s)!\n",
                 std::strerror(error));
    return false;
}

// Reports a computation that did not finish on out, like the chart, then the
// key prompt; a shortfall adds its figures on the error stream.
int stopWithStorageError(std::FILE* in, std::FILE* out, const ComputationResult& result) {
    std::fputs(failureMessage(result).c_str(), out);
    std::fflush(out);
    if (result.outcome == Outcome::MemoryShortfall) {
        std::fputs(shortfallFigures(result).c_str(), stderr);
    }
    waitForKey(in, out);
    return exitStorage;
}

} // namespace

int runCurtis(std::FILE* in, std::FILE* out, const ComputationSettings& settings) {
    std::int32_t w = 0;
    std::int32_t t = 0;
    if (!runDialogue(in, out, w, t)) {
        std::fputs("\n", out);
        std::fflush(out);
        std::fputs(
            "Error: standard input ended before the weight and the total degree were read.\n",
            stderr);
        return exitInputOutput;
    }

    ProgressLine progress(stderr, out);
    ComputationSettings shown = settings;
    // The machine is asked here, once, unless the caller says.
    if (!shown.obtainable) {
        shown.obtainable = obtainableMemory();
    }
    shown.onProgress = [&progress](const ComputationProgress& now) { progress.update(now); };
    const ComputationResult result =
        runComputation(t, w, shown, [out, &progress](const FinishedLevel& level) {
            progress.suspend();
            writeChartSection(out, printLevel(level));
            if (level.k + 1 == level.t) {
                return true;
            }
            std::fputs("\n", out);
            // Each section is on its way before the next, often long, level
            // starts.
            const bool flushed = flushChart(out);
            progress.resume();
            return flushed;
        });
    progress.clear();
    if (result.outcome == Outcome::Stopped) {
        return exitInputOutput;
    }
    if (result.outcome != Outcome::Finished) {
        return stopWithStorageError(in, out, result);
    }
    std::fputs("\nComputation finished!\n\nPress any key to exit ...\n", out);
    waitForKey(in, out);
    return flushChart(out) ? exitFinished : exitInputOutput;
}

} // namespace curtis
