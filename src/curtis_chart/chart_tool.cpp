#include "curtis_chart/chart_tool.hpp"

#include "curtis_chart/chart_formats.hpp"
#include "curtis_chart/chart_products.hpp"
#include "curtis_chart/options.hpp"
#include "curtis_chart/output_file.hpp"
#include "report/ehp_reading.hpp"
#include "report/exit_status.hpp"
#include "report/messages.hpp"
#include "report/progress.hpp"
#include "system/memory_limit.hpp"
#include "system/processors.hpp"

#include <cstdio>
#include <vector>

namespace curtis {

namespace {

// A computation that did not finish: its message and, for a shortfall, the
// figures, on the error stream.
int reportFailure(const ComputationResult& result) {
    std::fputs(failureMessage(result).c_str(), stderr);
    if (result.outcome == Outcome::MemoryShortfall) {
        std::fputs(shortfallFigures(result).c_str(), stderr);
    }
    return exitStorage;
}

// Hands a writer what it is to write, with the progress line out of the way
// and the stream flushed after each call; false once a write has failed.
class WriterCalls {
public:
    WriterCalls(ChartWriter& writer, std::FILE* out, ProgressLine& progress)
        : writer_(writer), out_(out), progress_(progress) {}

    template <typename Call> bool operator()(Call&& call) {
        progress_.suspend();
        call(writer_);
        std::fflush(out_);
        progress_.resume();
        return !std::ferror(out_);
    }

private:
    ChartWriter& writer_;
    std::FILE* out_;
    ProgressLine& progress_;
};

} // namespace

int runChartTool(int argc, const char* const* argv, const OutputFile::Options& outputOptions) {
    ChartOptions options;
    switch (parseChartOptions(argc, argv, options, stdout, stderr)) {
    case ParseOutcome::Run:
        break;
    case ParseOutcome::Help:
        return std::fflush(stdout) == 0 ? exitFinished : exitInputOutput;
    case ParseOutcome::Error:
        return exitBadArguments;
    }

    // The largest degree needs the most storage: find out at once whether
    // it can be had, not after the smaller ones.
    ComputationSettings settings;
    settings.topCell = options.topCell;
    settings.maxFiltration = options.maxFiltration;
    settings.obtainable = obtainableMemory();
    settings.processors = availableProcessors();
    // Products and the transfer need every level of every degree, kept to
    // the end; the transfer also the sphere's, of the degrees t + 1 + a.
    std::vector<FinishedDegree> kept;
    std::vector<FinishedDegree> sphereKept;
    ComputationSettings sphereSettings = settings;
    sphereSettings.topCell = 0;
    sphereSettings.keepLevels = true;
    // The images of filtration F land in filtration F + 1 of the sphere.
    if (options.maxFiltration) {
        sphereSettings.maxFiltration = *options.maxFiltration + 1;
    }
    sphereSettings.onDegree = [&](FinishedDegree&& degree) {
        sphereKept.push_back(std::move(degree));
    };
    const std::int32_t sphereShift = 1 - options.weight; // t + 1 + a
    if (options.products || options.transfer) {
        settings.keepLevels = true;
        settings.onDegree = [&kept](FinishedDegree&& degree) { kept.push_back(std::move(degree)); };
    }
    const ComputationResult storage = checkStorageOfRange(
        options.minDegree, options.maxDegree, options.weight, settings,
        options.transfer ? keptLevelBytes(options.minDegree + sphereShift,
                                          options.maxDegree + sphereShift, 0, sphereSettings)
                         : 0);
    if (storage.outcome != Outcome::Finished) {
        return reportFailure(storage);
    }

    OutputFile output(options.output, outputOptions);
    if (!output.ok()) {
        std::fprintf(stderr, "curtis-chart: %s\n", output.error().c_str());
        return exitInputOutput;
    }
    std::FILE* out = output.stream();
    ProgressLine progress(stderr, out);
    progress.setRange(options.minDegree, options.maxDegree);
    settings.onProgress = [&progress](const ComputationProgress& now) { progress.update(now); };

    const std::unique_ptr<ChartWriter> writer =
        options.format->make(out, WriterOptions{options.arrows, options.h3Lines});
    WriterCalls write(*writer, out, progress);
    PrintedChart chart;
    chart.weight = options.weight;
    chart.topCell = options.topCell;
    chart.hasEhp = options.ehp;
    chart.unstable = options.unstable;
    chart.hasTransfer = options.transfer;
    chart.maxFiltration = options.maxFiltration;
    const auto print = [&](const FinishedLevel& level) {
        return options.unstable ? printUnstableLevel(level, *options.unstable)
               : options.ehp    ? printEhpLevel(level)
                                : printLevel(level);
    };
    bool written = write([&](ChartWriter& w) { w.begin(chart); });
    for (std::int32_t t = options.minDegree; written && t <= options.maxDegree; ++t) {
        PrintedDegree degree;
        degree.t = t;
        written = write([&](ChartWriter& w) { w.beginDegree(t); });
        const ComputationResult result =
            runComputation(t, options.weight, settings, [&](const FinishedLevel& level) {
                PrintedLevel printed = print(level);
                written = written && write([&](ChartWriter& w) { w.level(degree, printed); });
                degree.levels.push_back(std::move(printed));
                return written;
            });
        if (result.outcome == Outcome::Stopped) {
            break; // the output failed; commit reports it
        }
        if (result.outcome != Outcome::Finished) {
            progress.clear();
            return reportFailure(result);
        }
        written = write([&](ChartWriter& w) { w.endDegree(degree); });
        chart.degrees.push_back(std::move(degree));
    }
    // The sphere's tables the transfer reads its images off.
    if (written && options.transfer) {
        sphereSettings.onProgress = settings.onProgress;
        progress.setRange(options.minDegree + sphereShift, options.maxDegree + sphereShift);
        for (std::int32_t t = options.minDegree + sphereShift; t <= options.maxDegree + sphereShift;
             ++t) {
            PrintedDegree degree;
            degree.t = t;
            const ComputationResult result =
                runComputation(t, 0, sphereSettings, [&](const FinishedLevel& level) {
                    degree.levels.push_back(printLevel(level));
                    return true;
                });
            if (result.outcome != Outcome::Finished) {
                progress.clear();
                return reportFailure(result);
            }
            chart.sphere.push_back(std::move(degree));
        }
    }
    Products::Status status = Products::Status::Ok;
    if (written && options.products && kept.size() == chart.degrees.size()) {
        status = addProducts(chart, kept, progress);
    }
    if (written && options.transfer && status == Products::Status::Ok) {
        status = addTransfers(chart, kept, sphereKept, progress);
    }
    if (status != Products::Status::Ok) {
        progress.clear();
        std::fputs(status == Products::Status::Contradiction
                       ? "Error: a leading term of a product neither survives nor is hit; "
                         "the algebra is contradicted!\n"
                       : "Error: a product needs more rows than a term set can hold!\n",
                   stderr);
        return exitStorage;
    }
    progress.clear();
    if (written) {
        write([&](ChartWriter& w) { w.end(chart); });
    }
    if (!output.commit()) {
        std::fprintf(stderr, "curtis-chart: %s\n", output.error().c_str());
        return exitInputOutput;
    }
    return exitFinished;
}

} // namespace curtis
