#include "curtis_chart/chart_tool.hpp"

#include "curtis_chart/chart_products.hpp"
#include "curtis_chart/formats.hpp"
#include "curtis_chart/options.hpp"
#include "curtis_chart/output_file.hpp"
#include "report/chart_text.hpp"
#include "report/exit_status.hpp"
#include "report/messages.hpp"
#include "report/progress.hpp"
#include "report/space_name.hpp"
#include "system/processors.hpp"

#include <cstdio>
#include <string>
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
    settings.obtainable = obtainableMemory();
    settings.processors = availableProcessors();
    // Products need every level of every degree, kept to the end.
    std::vector<FinishedDegree> kept;
    if (options.products) {
        settings.keepLevels = true;
        settings.onDegree = [&kept](FinishedDegree&& degree) { kept.push_back(std::move(degree)); };
    }
    const ComputationResult storage =
        checkStorageOfRange(options.minDegree, options.maxDegree, options.weight, settings);
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

    PrintedChart chart;
    chart.weight = options.weight;
    chart.topCell = options.topCell;
    const std::string space = spaceName(-options.weight, options.topCell, Script::Ascii);
    for (std::int32_t t = options.minDegree; t <= options.maxDegree; ++t) {
        PrintedDegree degree;
        degree.t = t;
        if (options.format == ChartFormat::Text) {
            progress.suspend();
            std::fprintf(out, "w=%d t=%d space=%s\n", options.weight, t, space.c_str());
            progress.resume();
        }
        const ComputationResult result =
            runComputation(t, options.weight, settings, [&](const FinishedLevel& level) {
                if (options.format != ChartFormat::Text) {
                    degree.levels.push_back(printLevel(level));
                    return true;
                }
                progress.suspend();
                writeChartSection(out, level);
                if (level.k + 1 < level.t) {
                    std::fputs("\n", out);
                }
                std::fflush(out);
                progress.resume();
                return !std::ferror(out);
            });
        if (result.outcome == Outcome::Stopped) {
            break; // the output failed; commit reports it
        }
        if (result.outcome != Outcome::Finished) {
            progress.clear();
            return reportFailure(result);
        }
        if (options.format == ChartFormat::Text) {
            progress.suspend();
            std::fputs("\nComputation finished!\n\n", out);
            progress.resume();
        } else {
            chart.degrees.push_back(std::move(degree));
        }
    }
    if (options.products && kept.size() == chart.degrees.size()) {
        const Products::Status status = addProducts(chart, kept, progress);
        if (status != Products::Status::Ok) {
            progress.clear();
            std::fputs(status == Products::Status::Contradiction
                           ? "Error: a leading term of a product neither survives nor is hit; "
                             "the algebra is contradicted!\n"
                           : "Error: a product needs more rows than a term set can hold!\n",
                       stderr);
            return exitStorage;
        }
    }
    progress.clear();
    if (options.format == ChartFormat::Json) {
        writeChartJson(out, chart);
    } else if (options.format == ChartFormat::Svg) {
        std::fputs(chartSvg(chart, SvgOptions{options.arrows, options.h3Lines}).c_str(), out);
    } else if (options.format == ChartFormat::Tsv) {
        std::fputs(chartTsv(chart).c_str(), out);
    }
    if (!output.commit()) {
        std::fprintf(stderr, "curtis-chart: %s\n", output.error().c_str());
        return exitInputOutput;
    }
    return exitFinished;
}

} // namespace curtis
