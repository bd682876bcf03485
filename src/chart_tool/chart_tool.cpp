#include "chart_tool/chart_tool.hpp"

#include "chart_tool/chart_formats.hpp"
#include "chart_tool/degree_source.hpp"
#include "chart_tool/options.hpp"
#include "io/output_file.hpp"
#include "readings/chart_products.hpp"
#include "readings/ehp_reading.hpp"
#include "report/exit_status.hpp"
#include "report/messages.hpp"
#include "report/progress.hpp"
#include "store/chart_cache.hpp"
#include "system/memory_limit.hpp"
#include "system/processors.hpp"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <set>
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

// The key of a space's cached degrees: everything their data depends on
// besides t.
std::string cacheKey(std::int32_t weight, const std::optional<std::int32_t>& top,
                     const std::optional<int>& band, const ChartOptions& options, bool extras) {
    const auto optional = [](const std::optional<int>& value) {
        return value ? std::to_string(*value) : std::string("none");
    };
    return "bottom " + std::to_string(-weight) + ", top " + optional(top) + ", filtrations " +
           (band ? "0 to " + std::to_string(*band) : std::string("all")) + ", unstable " +
           (extras ? optional(options.unstable) : "none") + ", ehp " +
           (extras && options.ehp ? "yes" : "no") + ", products " +
           (extras && options.products ? "yes" : "no") + ", transfer " +
           (extras && options.transfer ? "yes" : "no");
}

// Whether a cached degree's products are all a run up to `last` would
// compute: none of them reaches past the run it came from.
bool productsComplete(const CachedDegree& degree, std::int32_t last) {
    for (const std::int32_t shift : {1, 2, 4, 8}) {
        const std::int32_t target = degree.degree.t + shift;
        if (target <= last && target > degree.productsThrough) {
            return false;
        }
    }
    return true;
}

// A cached degree as this run shows it: products that land past the run's
// last degree were read off degrees this chart does not hold, and a run
// that stops there computes none of them.
CachedDegree withinRange(CachedDegree degree, std::int32_t last) {
    for (PrintedLevel& level : degree.degree.levels) {
        for (PrintedProducts& products : level.products) {
            for (std::size_t i = 0; i < products.terms.size(); ++i) {
                if (degree.degree.t + (std::int32_t{1} << i) > last) {
                    products.terms[i].reset();
                }
            }
        }
    }
    return degree;
}

void reportProductFailure(Products::Status status) {
    std::fputs(status == Products::Status::Contradiction
                   ? "Error: a leading term of a product neither survives nor is hit; "
                     "the algebra is contradicted!\n"
                   : "Error: a product needs more rows than a term set can hold!\n",
               stderr);
}

} // namespace

int runChartTool(int argc, const char* const* argv, const ChartToolSeams& seams) {
    ChartOptions options;
    switch (parseChartOptions(argc, argv, options, stdout, stderr)) {
    case ParseOutcome::Run:
        break;
    case ParseOutcome::Help:
        return std::fflush(stdout) == 0 ? exitFinished : exitInputOutput;
    case ParseOutcome::Error:
        return exitBadArguments;
    }
    // A file that outgrows the size limit is an error to report, not a
    // reason to end the process.
    std::signal(SIGXFSZ, SIG_IGN);

    OutputFile output(options.output, seams.output);
    if (!output.ok()) {
        std::fprintf(stderr, "curtis-chart: %s\n", output.error().c_str());
        return exitInputOutput;
    }
    std::FILE* out = output.stream();
    ProgressLine progress(stderr, out);
    progress.setRange(options.minDegree, options.maxDegree);

    // One computation holds the sphere's tables and the space's: products
    // and the transfer read them after the chart's degrees are done.
    ComputationSettings settings;
    settings.topCell = options.topCell;
    settings.maxFiltration = options.maxFiltration;
    settings.obtainable = seams.obtainable ? seams.obtainable : obtainableMemory();
    settings.threads = options.threads > 0 ? options.threads : availableProcessors();
    settings.onProgress = [&progress](const ComputationProgress& now) { progress.update(now); };
    // The images of filtration F land in filtration F + 1 of the sphere.
    settings.sphereExtraFiltrations = options.transfer && options.maxFiltration ? 1 : 0;
    Computation computation(options.weight, settings);
    const std::int32_t sphereShift = 1 - options.weight; // t + 1 + a
    const bool readings = options.products || options.transfer;

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
    chart.hasProducts = options.products;

    std::optional<ChartCache> cache;
    std::optional<ChartCache> sphereCache;
    if (!options.cache.empty()) {
        cache.emplace(
            options.cache,
            cacheKey(options.weight, options.topCell, options.maxFiltration, options, true),
            stderr);
        const std::optional<int> sphereBand =
            options.maxFiltration ? std::optional<int>(*options.maxFiltration + 1) : std::nullopt;
        sphereCache.emplace(options.cache, cacheKey(0, 0, sphereBand, options, false), stderr);
    }
    DegreeSource source(
        [&](std::int32_t t, const std::function<bool(const FinishedLevel&)>& onLevel) {
            return computation.computeDegree(t, onLevel);
        },
        [&](const FinishedLevel& level) {
            return options.unstable ? printUnstableLevel(level, *options.unstable)
                   : options.ehp    ? printEhpLevel(level)
                                    : printLevel(level);
        },
        cache ? &*cache : nullptr, progress);

    // Each degree, taken from the cache or computed. With products a degree
    // is taken only when no computed degree needs its tables to read a
    // product off.
    const auto fromCache =
        [&](std::int32_t t, const std::set<std::int32_t>& computed) -> std::optional<CachedDegree> {
        for (const std::int32_t shift : {1, 2, 4, 8}) {
            if (options.products && computed.count(t - shift) > 0) {
                return std::nullopt;
            }
        }
        std::optional<CachedDegree> cached = source.cached(t);
        if (cached && options.products && !productsComplete(*cached, options.maxDegree)) {
            return std::nullopt;
        }
        return cached;
    };
    // The degrees the cache does not hold now are computed together, on
    // every thread; one that a run beside this one finishes meanwhile is
    // still taken from the cache below.
    {
        std::set<std::int32_t> planned;
        for (std::int32_t t = options.minDegree; t <= options.maxDegree; ++t) {
            if (!fromCache(t, planned)) {
                planned.insert(t);
            }
        }
        // The transfer reads the sphere's degrees t + 1 + a of these.
        const std::int32_t sphereThrough =
            options.transfer && !planned.empty() ? *planned.rbegin() + sphereShift : 0;
        computation.plan(std::vector<std::int32_t>(planned.begin(), planned.end()), sphereThrough);
    }
    std::set<std::int32_t> computed;
    bool written = write([&](ChartWriter& w) { w.begin(chart); });
    for (std::int32_t t = options.minDegree; written && t <= options.maxDegree; ++t) {
        PrintedDegree degree;
        degree.t = t;
        written = write([&](ChartWriter& w) { w.beginDegree(t); });
        const DegreeSource::LevelSink sink = [&](PrintedLevel&& level) {
            written = written && write([&](ChartWriter& w) { w.level(degree, level); });
            degree.levels.push_back(std::move(level));
            return written;
        };
        const std::optional<CachedDegree> cached = fromCache(t, computed);
        if (cached) {
            written = source.take(withinRange(*cached, options.maxDegree), sink) && written;
        } else {
            computed.insert(t);
            const ComputationResult result = source.compute(t, sink);
            if (result.outcome == Outcome::Stopped) {
                break; // the output failed; commit reports it
            }
            if (result.outcome != Outcome::Finished) {
                progress.clear();
                return reportFailure(result);
            }
            if (!readings) {
                source.store(CachedDegree{degree, 0});
                if (seams.afterDegree) {
                    seams.afterDegree(t);
                }
            }
        }
        written = write([&](ChartWriter& w) { w.endDegree(degree); });
        chart.degrees.push_back(std::move(degree));
    }

    // The sphere's tables the transfer reads its images off: computed for
    // every degree computed here; the others' printed levels may come from
    // the cache.
    if (written && options.transfer) {
        progress.setRange(options.minDegree + sphereShift, options.maxDegree + sphereShift);
        DegreeSource sphere(
            [&](std::int32_t t, const std::function<bool(const FinishedLevel&)>& onLevel) {
                const ComputationResult result = computation.extendSphere(t);
                const SphereTable& table = computation.sphere();
                for (int k = 0;
                     result.outcome == Outcome::Finished && k < table.band().finalLevels(t); ++k) {
                    onLevel(FinishedLevel{k, t, 0, &table});
                }
                return result;
            },
            printLevel, sphereCache ? &*sphereCache : nullptr, progress);
        for (std::int32_t t = options.minDegree; t <= options.maxDegree; ++t) {
            PrintedDegree degree;
            degree.t = t + sphereShift;
            const DegreeSource::LevelSink sink = [&](PrintedLevel&& level) {
                degree.levels.push_back(std::move(level));
                return true;
            };
            const std::optional<CachedDegree> cached =
                computed.count(t) > 0 ? std::nullopt : sphere.cached(degree.t);
            if (cached) {
                sphere.take(*cached, sink);
            } else {
                const ComputationResult result = sphere.compute(degree.t, sink);
                if (result.outcome != Outcome::Finished) {
                    progress.clear();
                    return reportFailure(result);
                }
                sphere.store(CachedDegree{degree, 0});
            }
            chart.sphere.push_back(std::move(degree));
        }
    }
    Products::Status status = Products::Status::Ok;
    if (written && options.products) {
        status = addProducts(chart, computation, progress);
    }
    if (written && options.transfer && status == Products::Status::Ok) {
        status = addTransfers(chart, computation, progress);
    }
    if (status != Products::Status::Ok) {
        progress.clear();
        reportProductFailure(status);
        return exitStorage;
    }
    // Degrees whose data came only now are stored complete.
    if (written && readings) {
        for (const PrintedDegree& degree : chart.degrees) {
            if (computed.count(degree.t) > 0) {
                source.store(CachedDegree{degree, options.products ? options.maxDegree : 0});
            }
        }
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
