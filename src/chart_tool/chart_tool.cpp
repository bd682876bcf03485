#include "chart_tool/chart_tool.hpp"

#include "chart/chart_check.hpp"

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

void reportProductFailure(Products::Status status) {
    std::fputs(status == Products::Status::Contradiction
                   ? "Error: a leading term of a product neither survives nor is hit; "
                     "the algebra is contradicted!\n"
                   : "Error: a product needs more rows than a term set can hold!\n",
               stderr);
}

// The cache of the plan's degrees of this key, if the plan has a cache.
std::optional<ChartCache> cacheOf(const ChartPlan& plan, std::string key) {
    if (plan.cache.empty()) {
        return std::nullopt;
    }
    return std::optional<ChartCache>(std::in_place, plan.cache, std::move(key), stderr,
                                     plan.trustCache);
}

// One run of curtis-chart, in the steps of its plan: the degrees, each
// taken from the cache or computed and written as it comes; the sphere's
// degrees the transfer reads; the readings off the tables; the degrees
// stored; the end of the chart.
class ChartRun {
public:
    // refused: degrees not to take from the cache.
    ChartRun(const ChartPlan& plan, const ChartToolSeams& seams, std::FILE* out,
             const std::set<std::int32_t>& refused);

    // The exit status, or nothing when everything is done and only the
    // output is left to commit.
    std::optional<int> run();
    // After run: a degree taken from the cache that is not sound, set aside;
    // the chart is to be made again without it. Nothing has been written
    // then (only the text streams, and it reads no references).
    std::optional<std::int32_t> unsound() const { return unsound_; }

private:
    ComputationSettings settings(const ChartToolSeams& seams);
    std::optional<CachedDegree> fromCache(std::int32_t t, const std::set<std::int32_t>& computed);
    void planComputation();
    std::optional<int> chartDegrees();
    std::optional<int> transferSphere();
    std::optional<int> readOff();
    std::optional<int> checkSound();
    void storeRead();

    const ChartPlan& plan_;
    const ChartToolSeams& seams_;
    ProgressLine progress_;
    // One computation holds the sphere's tables and the space's: products
    // and the transfer read them after the chart's degrees are done.
    Computation computation_;
    std::unique_ptr<ChartWriter> writer_;
    WriterCalls calls_;
    PrintedChart chart_;
    std::optional<ChartCache> cache_;
    std::optional<ChartCache> sphereCache_;
    DegreeSource source_;
    std::set<std::int32_t> computed_;
    const std::set<std::int32_t>& refused_;
    std::optional<std::int32_t> unsound_;
    bool written_ = true;
};

ChartRun::ChartRun(const ChartPlan& plan, const ChartToolSeams& seams, std::FILE* out,
                   const std::set<std::int32_t>& refused)
    : plan_(plan), seams_(seams), progress_(stderr, out),
      computation_(plan.space.weight(), settings(seams)),
      writer_(findChartFormat(plan.format)->make(out)), calls_(*writer_, out, progress_),
      cache_(cacheOf(plan, chartKey(plan))), sphereCache_(cacheOf(plan, transferSphereKey(plan))),
      source_(
          [this](std::int32_t t, const std::function<bool(const FinishedLevel&)>& onLevel) {
              return computation_.computeDegree(t, onLevel);
          },
          [this](const FinishedLevel& level) { return printChartLevel(level, plan_.readings); },
          cache_ ? &*cache_ : nullptr, progress_),
      refused_(refused) {
    progress_.setRange(plan.degrees.first, plan.degrees.last);
    chart_.plan = plan;
}

ComputationSettings ChartRun::settings(const ChartToolSeams& seams) {
    ComputationSettings settings;
    settings.topCell = plan_.space.topCell();
    settings.maxFiltration = plan_.band;
    settings.obtainable = seams.obtainable ? seams.obtainable : obtainableMemory();
    settings.threads = plan_.threads;
    settings.onProgress = [this](const ComputationProgress& now) { progress_.update(now); };
    // The images of filtration F land in filtration F + 1 of the sphere.
    settings.sphereExtraFiltrations = plan_.readings.transfer && plan_.band ? 1 : 0;
    return settings;
}

// Degree t from the cache, if it may be taken: with products only when no
// computed degree needs its tables to read a product off.
std::optional<CachedDegree> ChartRun::fromCache(std::int32_t t,
                                                const std::set<std::int32_t>& computed) {
    if (!plan_.mayTakeCached(t, computed) || refused_.count(t) > 0) {
        return std::nullopt;
    }
    std::optional<CachedDegree> cached = source_.cached(t);
    if (cached && !plan_.cachedProductsComplete(t, cached->productsThrough)) {
        return std::nullopt;
    }
    return cached;
}

// The degrees the cache does not hold now are computed together, on every
// thread; one that a run beside this one finishes meanwhile is still taken
// from the cache.
void ChartRun::planComputation() {
    std::set<std::int32_t> planned;
    for (std::int32_t t = plan_.degrees.first; t <= plan_.degrees.last; ++t) {
        if (!fromCache(t, planned)) {
            planned.insert(t);
        }
    }
    // The transfer reads the sphere's degrees t + 1 + a of these.
    const std::int32_t sphereThrough = plan_.readings.transfer && !planned.empty()
                                           ? plan_.space.transferDegree(*planned.rbegin())
                                           : 0;
    computation_.plan(std::vector<std::int32_t>(planned.begin(), planned.end()), sphereThrough);
}

// A cached degree as this run shows it.
CachedDegree asPlanned(CachedDegree degree, const ChartPlan& plan) {
    keepPlannedReadings(degree.degree, plan);
    return degree;
}

std::optional<int> ChartRun::chartDegrees() {
    written_ = calls_([&](ChartWriter& w) { w.begin(chart_); });
    for (std::int32_t t = plan_.degrees.first; written_ && t <= plan_.degrees.last; ++t) {
        PrintedDegree degree;
        degree.t = t;
        written_ = calls_([&](ChartWriter& w) { w.beginDegree(t); });
        const DegreeSource::LevelSink sink = [&](PrintedLevel&& level) {
            written_ = written_ && calls_([&](ChartWriter& w) { w.level(degree, level); });
            degree.levels.push_back(std::move(level));
            return written_;
        };
        const std::optional<CachedDegree> cached = fromCache(t, computed_);
        if (cached) {
            written_ = source_.take(asPlanned(*cached, plan_), sink) && written_;
        } else {
            computed_.insert(t);
            const ComputationResult result = source_.compute(t, sink);
            if (result.outcome == Outcome::Stopped) {
                break; // the output failed; commit reports it
            }
            if (result.outcome != Outcome::Finished) {
                progress_.clear();
                return reportFailure(result);
            }
            if (!plan_.readings.afterDegrees()) {
                source_.store(CachedDegree{degree, 0});
                if (seams_.afterDegree) {
                    seams_.afterDegree(t);
                }
            }
        }
        written_ = calls_([&](ChartWriter& w) { w.endDegree(degree); });
        chart_.degrees.push_back(std::move(degree));
    }
    return std::nullopt;
}

// The sphere's tables the transfer reads its images off: computed for every
// degree computed here; the others' printed levels may come from the cache.
std::optional<int> ChartRun::transferSphere() {
    const DegreeRange sphereDegrees = plan_.sphereDegrees();
    progress_.setRange(sphereDegrees.first, sphereDegrees.last);
    DegreeSource sphere(
        [&](std::int32_t t, const std::function<bool(const FinishedLevel&)>& onLevel) {
            const ComputationResult result = computation_.extendSphere(t);
            const SphereTable& table = computation_.sphere();
            for (int k = 0; result.outcome == Outcome::Finished && k < table.band().finalLevels(t);
                 ++k) {
                onLevel(FinishedLevel{k, t, 0, &table});
            }
            return result;
        },
        printLevel, sphereCache_ ? &*sphereCache_ : nullptr, progress_);
    for (std::int32_t t = plan_.degrees.first; t <= plan_.degrees.last; ++t) {
        PrintedDegree degree;
        degree.t = plan_.space.transferDegree(t);
        const DegreeSource::LevelSink sink = [&](PrintedLevel&& level) {
            degree.levels.push_back(std::move(level));
            return true;
        };
        const std::optional<CachedDegree> cached =
            computed_.count(t) > 0 ? std::nullopt : sphere.cached(degree.t);
        if (cached) {
            sphere.take(*cached, sink);
        } else {
            const ComputationResult result = sphere.compute(degree.t, sink);
            if (result.outcome != Outcome::Finished) {
                progress_.clear();
                return reportFailure(result);
            }
            sphere.store(CachedDegree{degree, 0});
        }
        chart_.sphere.push_back(std::move(degree));
    }
    return std::nullopt;
}

std::optional<int> ChartRun::readOff() {
    Products::Status status = Products::Status::Ok;
    if (plan_.readings.products) {
        status = addProducts(chart_, computation_, progress_);
    }
    if (plan_.readings.transfer && status == Products::Status::Ok) {
        status = addTransfers(chart_, computation_, progress_);
    }
    if (status != Products::Status::Ok) {
        progress_.clear();
        reportProductFailure(status);
        return exitStorage;
    }
    return std::nullopt;
}

// A degree taken from the cache whose references point outside the chart
// is set aside, to be computed again; one computed here would contradict
// the tables.
std::optional<int> ChartRun::checkSound() {
    const std::optional<std::int32_t> t =
        writer_->readsReferences() ? firstUnsoundDegree(chart_) : std::nullopt;
    if (!t) {
        return std::nullopt;
    }
    if (computed_.count(*t) > 0 || !cache_) {
        progress_.clear();
        std::fputs("Error: a reading of the chart points outside it; the table is contradicted!\n",
                   stderr);
        return exitStorage;
    }
    cache_->discardDegree(*t, "holds readings that do not fit the chart's other degrees");
    unsound_ = t;
    return std::nullopt;
}

// Degrees whose data came only after the degrees are stored complete.
void ChartRun::storeRead() {
    for (const PrintedDegree& degree : chart_.degrees) {
        if (computed_.count(degree.t) > 0) {
            source_.store(CachedDegree{degree, plan_.productsThrough()});
        }
    }
}

std::optional<int> ChartRun::run() {
    planComputation();
    if (const std::optional<int> failed = chartDegrees()) {
        return failed;
    }
    if (written_ && plan_.readings.transfer) {
        if (const std::optional<int> failed = transferSphere()) {
            return failed;
        }
    }
    if (written_) {
        if (const std::optional<int> failed = readOff()) {
            return failed;
        }
        if (const std::optional<int> failed = checkSound()) {
            return failed;
        }
        if (unsound_) {
            return std::nullopt;
        }
        if (plan_.readings.afterDegrees()) {
            storeRead();
        }
    }
    progress_.clear();
    if (written_) {
        calls_([&](ChartWriter& w) { w.end(chart_); });
    }
    return std::nullopt;
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
    const ChartPlan plan = planOf(options);
    // A file that outgrows the size limit is an error to report, not a
    // reason to end the process.
    std::signal(SIGXFSZ, SIG_IGN);

    OutputFile output(plan.output, seams.output);
    if (!output.ok()) {
        std::fprintf(stderr, "curtis-chart: %s\n", output.error().c_str());
        return exitInputOutput;
    }
    // A chart made again when a degree from the cache did not fit; each time
    // one degree fewer is taken from it.
    std::set<std::int32_t> refused;
    for (;;) {
        ChartRun run(plan, seams, output.stream(), refused);
        if (const std::optional<int> failed = run.run()) {
            return *failed;
        }
        if (!run.unsound()) {
            break;
        }
        refused.insert(*run.unsound());
    }
    if (!output.commit()) {
        std::fprintf(stderr, "curtis-chart: %s\n", output.error().c_str());
        return exitInputOutput;
    }
    return exitFinished;
}

} // namespace curtis
