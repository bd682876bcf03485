#include "chart_tool/chart_tool.hpp"

#include "chart/chart_check.hpp"

#include "chart_tool/chart_formats.hpp"
#include "chart_tool/cost_estimate.hpp"
#include "chart_tool/options.hpp"
#include "io/output_file.hpp"
#include "readings/cell_maps.hpp"
#include "readings/chart_names.hpp"
#include "readings/chart_products.hpp"
#include "readings/ehp_maps.hpp"
#include "readings/ehp_reading.hpp"
#include "readings/root_invariant.hpp"
#include "readings/wider_band.hpp"
#include "report/exit_status.hpp"
#include "report/messages.hpp"
#include "report/progress.hpp"
#include "store/table_cache.hpp"
#include "system/memory_limit.hpp"
#include "system/processors.hpp"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

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

void reportProductFailure(ChainStatus status) {
    std::fputs(status == ChainStatus::Contradiction
                   ? "Error: a leading term of a product neither survives nor is hit; "
                     "the algebra is contradicted!\n"
                   : "Error: a product needs more rows than a term set can hold!\n",
               stderr);
}

// The cache of the plan's tables, if the plan has a cache.
std::unique_ptr<TableCache> cacheOf(const ChartPlan& plan) {
    if (plan.cache.empty()) {
        return nullptr;
    }
    return std::make_unique<TableCache>(plan.cache, stderr, plan.trustCache);
}

// One run of curtis-chart, in the steps of its plan: the degrees, each
// computed (or read from the cache's tables) and written as it comes; the
// sphere's degrees the transfer reads; the readings off the tables; the end
// of the chart.
class ChartRun {
public:
    ChartRun(const ChartPlan& plan, const ChartToolSeams& seams, std::FILE* out);

    // The exit status, or nothing when everything is done and only the
    // output is left to commit.
    std::optional<int> run();

private:
    ComputationSettings settings(const ChartToolSeams& seams);
    void planComputation();
    std::optional<int> chartDegrees();
    std::optional<int> transferSphere();
    std::int32_t mapsSphereDegree() const;
    std::optional<int> mapTargets();
    std::unique_ptr<Computation> cellTarget(const ChartMap& map);
    std::optional<int> rootInvariantTables();
    ChainStatus readMaps();
    std::optional<std::vector<SphereSurvivor>> multipliers();
    std::optional<int> readOff();
    std::optional<int> readNames(ChainStatus& status);
    std::optional<int> checkSound();
    std::optional<int> unlessFinished(const ComputationResult& result);

    const ChartPlan& plan_;
    const ChartToolSeams& seams_;
    ProgressLine progress_;
    // The readings tell their progress to the line.
    OnReadingProgress reading_ = [this](const ReadingProgress& now) { progress_.update(now); };
    // Before the computation, whose steps read and write it.
    std::unique_ptr<TableCache> cache_;
    // One computation holds the sphere's tables and the space's: products
    // and the transfer read them after the chart's degrees are done.
    Computation computation_;
    // The targets of the cell maps, each a computation of its own (null
    // for an EHP map, which reads the sphere's tables), aligned with them.
    std::vector<std::unique_ptr<Computation>> targets_;
    // With --root-invariant: P_{-N}, its degrees those of e(-1) times the
    // chart's classes.
    std::unique_ptr<Computation> projective_;
    // With names in a band: the sphere one filtration further, for the
    // lines out of the band's top generators.
    std::unique_ptr<WiderBand> namesBeyond_;
    // The products read while the chart's degrees are computed; after the
    // computation, whose tables it reads, and stopped once they are.
    ProductsAhead productsAhead_;
    std::unique_ptr<ChartWriter> writer_;
    WriterCalls calls_;
    PrintedChart chart_;
    bool written_ = true;
};

ChartRun::ChartRun(const ChartPlan& plan, const ChartToolSeams& seams, std::FILE* out)
    : plan_(plan), seams_(seams), progress_(stderr, out), cache_(cacheOf(plan)),
      computation_(plan.space.weight(), settings(seams)), productsAhead_(computation_, plan),
      writer_(findChartFormat(plan.format)->make(out)), calls_(*writer_, out, progress_) {
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
    // P lands two filtrations up; the names of a boundary's image read the
    // sphere one filtration up.
    for (const ChartMap& map : plan_.readings.maps) {
        const int extra = map.kind == MapKind::P                                  ? 2
                          : map.kind == MapKind::Boundary && plan_.readings.names ? 1
                                                                                  : 0;
        settings.sphereExtraFiltrations =
            std::max(settings.sphereExtraFiltrations, plan_.band ? extra : 0);
    }
    settings.store = cache_.get();
    // The readings of the sphere's classes take their cycles from the tables.
    const Readings& readings = plan_.readings;
    settings.keepEveryCycle =
        readings.namesClasses() ||
        (plan_.space.isSphere() && !readings.unstable &&
         (readings.products || !readings.multiply.empty() || readings.cycles || readings.sq0));
    return settings;
}

// Every degree is computed together, on every thread; the transfer reads
// the sphere's degrees t + 1 + a of them.
void ChartRun::planComputation() {
    std::vector<std::int32_t> degrees;
    for (std::int32_t t = plan_.degrees.first; t <= plan_.degrees.last; ++t) {
        degrees.push_back(t);
    }
    const std::int32_t sphereThrough = plan_.readings.transfer && !degrees.empty()
                                           ? plan_.space.transferDegree(degrees.back())
                                           : 0;
    computation_.plan(degrees, std::max(sphereThrough, mapsSphereDegree()));
}

std::optional<int> ChartRun::chartDegrees() {
    written_ = calls_([&](ChartWriter& w) { w.begin(chart_); });
    for (std::int32_t t = plan_.degrees.first; written_ && t <= plan_.degrees.last; ++t) {
        PrintedDegree degree;
        degree.t = t;
        written_ = calls_([&](ChartWriter& w) { w.beginDegree(t); });
        const ComputationResult result =
            computation_.computeDegree(t, [&](const FinishedLevel& finished) {
                PrintedLevel level = printChartLevel(finished, plan_.readings);
                written_ = written_ && calls_([&](ChartWriter& w) { w.level(degree, level); });
                degree.levels.push_back(std::move(level));
                return written_;
            });
        if (result.outcome == Outcome::Stopped) {
            break; // the output failed; commit reports it
        }
        if (const std::optional<int> failed = unlessFinished(result)) {
            return failed;
        }
        if (seams_.afterDegree) {
            seams_.afterDegree(t);
        }
        written_ = calls_([&](ChartWriter& w) { w.endDegree(degree); });
        productsAhead_.computed(degree);
        chart_.degrees.push_back(std::move(degree));
    }
    productsAhead_.finishReading();
    return std::nullopt;
}

// None where the computation finished; else its failure reported, with
// the exit status.
std::optional<int> ChartRun::unlessFinished(const ComputationResult& result) {
    if (result.outcome == Outcome::Finished) {
        return std::nullopt;
    }
    progress_.clear();
    return reportFailure(result);
}

// The sphere's tables the transfer reads its images off.
std::optional<int> ChartRun::transferSphere() {
    const DegreeRange sphereDegrees = plan_.sphereDegrees();
    progress_.setRange(sphereDegrees.first, sphereDegrees.last);
    const SphereTable& table = computation_.sphere();
    for (std::int32_t t = plan_.degrees.first; t <= plan_.degrees.last; ++t) {
        PrintedDegree degree;
        degree.t = plan_.space.transferDegree(t);
        if (const std::optional<int> failed = unlessFinished(computation_.extendSphere(degree.t))) {
            return failed;
        }
        for (int k = 0; k < table.band().finalLevels(degree.t); ++k) {
            degree.levels.push_back(printLevel(FinishedLevel{k, degree.t, 0, &table}));
        }
        chart_.sphere.push_back(std::move(degree));
    }
    return std::nullopt;
}

// The sphere's degree the maps read through: P's images, and the names of
// a boundary's image (its lambda parts); 0 for none.
std::int32_t ChartRun::mapsSphereDegree() const {
    std::int32_t through = 0;
    const std::int32_t last = plan_.degrees.last;
    for (const ChartMap& map : plan_.readings.maps) {
        if (map.kind == MapKind::P) {
            through = std::max(through, map.targetDegree(*plan_.readings.unstable, last));
        } else if (map.kind == MapKind::Boundary && plan_.readings.names) {
            through = std::max(through, map.targetDegree(plan_.space, last));
        }
    }
    return std::min(through, maxTotalDegree);
}

// The computation of a cell map's target space, its degrees planned: those
// the chart's degrees map to, in the chart's band (one filtration more for
// the boundary; a whole chart's boundary needs its filtrations up to T).
std::unique_ptr<Computation> ChartRun::cellTarget(const ChartMap& map) {
    const Space target = map.target(plan_.space);
    ComputationSettings settings = this->settings(seams_);
    settings.topCell = target.topCell();
    settings.sphereExtraFiltrations = 0;
    if (map.kind == MapKind::Boundary) {
        settings.maxFiltration =
            plan_.band ? *plan_.band + 1 : std::min(plan_.degrees.last, maxFiltrationBound);
    }
    auto computation = std::make_unique<Computation>(target.weight(), settings);
    std::vector<std::int32_t> degrees;
    for (std::int32_t t = plan_.degrees.first; t <= plan_.degrees.last; ++t) {
        const std::int32_t into = map.targetDegree(plan_.space, t);
        if (into >= 1 && into <= maxTotalDegree) {
            degrees.push_back(into);
        }
    }
    computation->plan(degrees);
    return computation;
}

// The sphere's degrees the maps read, and the tables of each cell map's
// target, computed.
std::optional<int> ChartRun::mapTargets() {
    if (const std::int32_t through = mapsSphereDegree(); through > 0) {
        progress_.setRange(plan_.degrees.first, through);
        if (const std::optional<int> failed = unlessFinished(computation_.extendSphere(through))) {
            return failed;
        }
    }
    for (const ChartMap& map : plan_.readings.maps) {
        targets_.push_back(map.ofCells() ? cellTarget(map) : nullptr);
        if (targets_.back()) {
            progress_.setRange(map.targetDegree(plan_.space, plan_.degrees.first),
                               map.targetDegree(plan_.space, plan_.degrees.last));
        }
        for (std::int32_t t = plan_.degrees.first; targets_.back() && t <= plan_.degrees.last;
             ++t) {
            const std::int32_t into = map.targetDegree(plan_.space, t);
            if (into < 1 || into > maxTotalDegree) {
                continue;
            }
            if (const std::optional<int> failed = unlessFinished(targets_.back()->computeDegree(
                    into, [](const FinishedLevel&) { return true; }))) {
                return failed;
            }
        }
    }
    return std::nullopt;
}

// P_{-N} in the chart's band, at the degrees t + N - 1 of the chart's t;
// with names, the sphere's tables too up to there, for the root invariants'
// names.
std::optional<int> ChartRun::rootInvariantTables() {
    const std::int32_t cells = *plan_.readings.rootInvariant;
    const std::int32_t last = rootInvariantDegree(plan_.degrees.last, cells);
    if (plan_.readings.names) {
        progress_.setRange(plan_.degrees.first, last);
        if (const std::optional<int> failed = unlessFinished(computation_.extendSphere(last))) {
            return failed;
        }
    }
    ComputationSettings settings = this->settings(seams_);
    settings.topCell = std::nullopt;
    settings.sphereExtraFiltrations = 0;
    projective_ = std::make_unique<Computation>(cells, settings);
    std::vector<std::int32_t> degrees;
    for (std::int32_t t = plan_.degrees.first; t <= plan_.degrees.last; ++t) {
        degrees.push_back(rootInvariantDegree(t, cells));
    }
    projective_->plan(degrees);
    progress_.setRange(degrees.front(), degrees.back());
    for (const std::int32_t t : degrees) {
        if (const std::optional<int> failed = unlessFinished(
                projective_->computeDegree(t, [](const FinishedLevel&) { return true; }))) {
            return failed;
        }
    }
    return std::nullopt;
}

// The image of every class under each map.
ChainStatus ChartRun::readMaps() {
    ChainAlgebra algebra(computation_);
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        const ChainStatus status = targets_[i]
                                       ? addCellMap(chart_, algebra, *targets_[i], i, reading_)
                                       : addEhpMap(chart_, algebra, i, reading_);
        if (status != ChainStatus::Ok) {
            return status;
        }
    }
    return ChainStatus::Ok;
}

// The sphere's classes --multiply names; nothing, once said, where one is
// not in the chart.
std::optional<std::vector<SphereSurvivor>> ChartRun::multipliers() {
    std::vector<SphereSurvivor> by;
    for (const SphereClassRef& x : plan_.readings.multiply) {
        std::string why;
        const std::optional<SphereSurvivor> found = findSphereClass(computation_, x, why);
        if (!found) {
            progress_.clear();
            std::fprintf(stderr, "curtis-chart: %s\n", why.c_str());
            return std::nullopt;
        }
        by.push_back(*found);
    }
    return by;
}

std::optional<int> ChartRun::readOff() {
    const Readings& readings = plan_.readings;
    ChainStatus status = ChainStatus::Ok;
    if (readings.namesClasses()) {
        // The names' wider band is computed while the readings before them
        // run, which only read the chart's tables, as it does.
        namesBeyond_ = std::make_unique<WiderBand>(computation_, settings(seams_));
        planNamesBeyond(computation_, *namesBeyond_);
    }
    if (readings.products) {
        status = readings.unstable ? addUnstableProducts(chart_, computation_, reading_)
                                   : addProducts(chart_, computation_, reading_, &productsAhead_);
        productsAhead_.stop();
    }
    if (!readings.multiply.empty() && status == ChainStatus::Ok) {
        const std::optional<std::vector<SphereSurvivor>> by = multipliers();
        if (!by) {
            return exitBadArguments;
        }
        status = addMultiplied(chart_, computation_, *by, reading_);
    }
    if (readings.cycles && status == ChainStatus::Ok) {
        std::string refusal;
        status = addCycles(chart_, computation_, reading_, refusal);
        if (!refusal.empty()) {
            progress_.clear();
            std::fprintf(stderr, "Error: %s!\n", refusal.c_str());
            return exitStorage;
        }
    }
    if (readings.sq0 && status == ChainStatus::Ok) {
        status = addSq0(chart_, computation_, reading_);
    }
    if (readings.transfer && status == ChainStatus::Ok) {
        status = addTransfers(chart_, computation_, reading_);
    }
    if (status == ChainStatus::Ok) {
        status = readMaps();
    }
    if (projective_ && status == ChainStatus::Ok) {
        status = addRootInvariants(chart_, computation_, *projective_, reading_);
    }
    if (readings.namesClasses() && status == ChainStatus::Ok) {
        if (const std::optional<int> refused = readNames(status)) {
            return refused;
        }
    }
    if (status != ChainStatus::Ok) {
        progress_.clear();
        reportProductFailure(status);
        return exitStorage;
    }
    return std::nullopt;
}

// The names and what is read with them, into status; the exit status if
// they refuse the plan's readings.
std::optional<int> ChartRun::readNames(ChainStatus& status) {
    std::vector<std::string> warnings;
    std::string refusal;
    status = addNames(chart_, computation_, namesBeyond_.get(), reading_, warnings, refusal);
    // What it computed ahead of the names and they did not ask for stops
    // here.
    namesBeyond_.reset();
    progress_.clear();
    for (const std::string& warning : warnings) {
        std::fprintf(stderr, "curtis-chart: warning: %s\n", warning.c_str());
    }
    if (!refusal.empty() && status == ChainStatus::Ok) {
        std::fprintf(stderr, "curtis-chart: %s\n", refusal.c_str());
        return exitBadArguments;
    }
    return std::nullopt;
}

// A reading that points outside the chart would contradict the tables.
std::optional<int> ChartRun::checkSound() {
    if (!writer_->readsReferences() || !firstUnsoundDegree(chart_)) {
        return std::nullopt;
    }
    progress_.clear();
    std::fputs("Error: a reading of the chart points outside it; the table is contradicted!\n",
               stderr);
    return exitStorage;
}

std::optional<int> ChartRun::run() {
    planComputation();
    if (const std::optional<int> failed = chartDegrees()) {
        return failed;
    }
    // What computes more of the tables waits for the products read ahead.
    const Readings& readings = plan_.readings;
    if (readings.transfer || !readings.maps.empty() || readings.rootInvariant) {
        productsAhead_.stop();
    }
    if (written_ && plan_.readings.transfer) {
        if (const std::optional<int> failed = transferSphere()) {
            return failed;
        }
    }
    if (written_) {
        if (const std::optional<int> failed = mapTargets()) {
            return failed;
        }
    }
    if (written_ && plan_.readings.rootInvariant) {
        if (const std::optional<int> failed = rootInvariantTables()) {
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
        leaveOutUnshownProducts(chart_);
    }
    progress_.clear();
    if (written_) {
        calls_([&](ChartWriter& w) { w.end(chart_); });
    }
    return std::nullopt;
}

} // namespace

int runChartTool(int argc, const char* const* argv, const ChartToolSeams& seams) {
    ChartPlan plan;
    switch (parseChartOptions(argc, argv, plan, stdout, stderr)) {
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

    OutputFile output(plan.output, seams.output);
    if (!output.ok()) {
        std::fprintf(stderr, "curtis-chart: %s\n", output.error().c_str());
        return exitInputOutput;
    }
    // A large plan says what it will cost before it starts, where the
    // progress line would show: on a terminal only.
    if (const std::string cost = costLine(plan); !cost.empty() && isatty(fileno(stderr)) == 1) {
        std::fprintf(stderr, "%s\n", cost.c_str());
    }
    {
        ChartRun run(plan, seams, output.stream());
        if (const std::optional<int> failed = run.run()) {
            return *failed;
        }
    }
    if (!output.commit()) {
        std::fprintf(stderr, "curtis-chart: %s\n", output.error().c_str());
        return exitInputOutput;
    }
    return exitFinished;
}

} // namespace curtis
