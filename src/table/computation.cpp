#include "table/computation.hpp"

#include "algebra/monomial.hpp"
#include "table/level_elimination.hpp"

#include <algorithm>
#include <mutex>
#include <tuple>

namespace curtis {

namespace {

ComputationResult failure(Outcome outcome, int level, bool sphere, std::int64_t limit = 0) {
    ComputationResult result;
    result.outcome = outcome;
    result.level = level;
    result.sphere = sphere;
    result.limit = limit;
    return result;
}

TableBand widened(std::optional<int> band, int extra) {
    return TableBand{band ? std::optional<int>(*band + extra) : std::nullopt};
}

} // namespace

// What each worker owns: its term set, and how far its step is, for the
// progress line.
struct Computation::Worker {
    TermSet set; // the elimination's sum under a row limit
    RunSum sum;  // the elimination's sum with no limit but memory
    bool allocated = false;
    std::atomic<std::uint64_t> setBytes{0};
    std::mutex progressMutex;
    std::optional<ComputationProgress> progress; // the step it runs, if any
};

Computation::Computation(std::int32_t w, ComputationSettings settings)
    : w_(w), settings_(std::move(settings)),
      sphere_(std::make_unique<SphereTable>(
          widened(settings_.maxFiltration, settings_.sphereExtraFiltrations))),
      graph_(settings_.threads,
             [this](const Key& key, int worker) { return runStep(key, worker); }) {
    if (!settings_.topCell || *settings_.topCell != -w) {
        // Cells above t - 1 are never reached.
        const int top = settings_.topCell
                            ? static_cast<int>(std::clamp<std::int64_t>(
                                  std::int64_t{*settings_.topCell} + w, 0, maxEntryDegree))
                            : noTopCell;
        space_ = std::make_unique<SpaceTable>(*sphere_, w, top, TableBand{settings_.maxFiltration});
    }
    for (int i = 0; i < std::max(settings_.threads, 1); ++i) {
        workers_.push_back(std::make_unique<Worker>());
    }
    for (int table = 0; table < 2; ++table) {
        mayLoad_[static_cast<std::size_t>(table)].assign(maxEntryDegree + 1, 0);
        loaded_[static_cast<std::size_t>(table)].assign(maxEntryDegree + 1, 0);
    }
}

TableName Computation::nameOf(int table) const {
    if (table == 0) {
        return TableName{};
    }
    return TableName{false, w_, space_->topCellOffset()};
}

Computation::~Computation() {
    graph_.stop();
}

const CurtisTable& Computation::table() const {
    return space_ ? static_cast<const CurtisTable&>(*space_) : *sphere_;
}

bool Computation::computed(std::int32_t t) const {
    return t >= 1 && t <= maxTotalDegree && computed_[static_cast<std::size_t>(t - 1)].load();
}

std::uint64_t Computation::bytesHeld() const {
    std::uint64_t bytes = sphere_->bytes() + (space_ ? space_->bytes() : 0);
    for (const std::unique_ptr<Worker>& worker : workers_) {
        bytes += worker->setBytes.load();
    }
    return bytes;
}

bool Computation::withinMemory(std::uint64_t held, ComputationResult& result) const {
    if (!settings_.checkMemory || !settings_.obtainable || held <= settings_.obtainable->bytes) {
        return true;
    }
    result.outcome = Outcome::MemoryShortfall;
    result.bytesNeeded = held;
    result.obtainable = *settings_.obtainable;
    return false;
}

void Computation::scheduleSphere(std::int32_t t) {
    const TableBand& band = sphere_->band();
    // Before any step of those degrees can run.
    if (t > sphereLast_.load()) {
        sphereLast_.store(t);
    }
    for (std::int32_t d = sphereScheduled_ + 1; d <= t; ++d) {
        sphere_->openDegree(d);
        const bool load = settings_.store && settings_.store->mayHold(nameOf(0), d);
        mayLoad_[0][static_cast<std::size_t>(d)] = load;
        for (int L = 0; L < band.finalLevels(d); ++L) {
            std::vector<Key> after;
            if (L >= 1) {
                after.push_back({0, d, L - 1});
            }
            // What the store gives is checked against every lower degree.
            if (L == 0 && load && d > 1) {
                after.push_back({0, d - 1, band.finalLevels(d - 1) - 1});
            }
            // Candidates come from level L - 1 of the lower degrees, and the
            // lookups walk suffixes of levels up to L there.
            for (const int below : {L - 1, L}) {
                if (d > 1 && below >= 0 && below < band.finalLevels(d - 1)) {
                    after.push_back({0, d - 1, below});
                }
            }
            graph_.add({0, d, L}, after);
        }
        sphereScheduled_ = d;
    }
}

void Computation::scheduleSpace(std::int32_t t) {
    scheduleSphere(t);
    if (!space_) {
        return;
    }
    if (spaceScheduled_.size() < static_cast<std::size_t>(t)) {
        spaceScheduled_.resize(static_cast<std::size_t>(t), false);
    }
    if (spaceScheduled_[static_cast<std::size_t>(t - 1)]) {
        return;
    }
    spaceScheduled_[static_cast<std::size_t>(t - 1)] = true;
    space_->openDegree(t);
    const bool load = settings_.store && settings_.store->mayHold(nameOf(1), t);
    mayLoad_[1][static_cast<std::size_t>(t)] = load;
    const int sphereLevels = sphere_->band().finalLevels(t);
    for (int L = 0; L < finalLevels(t); ++L) {
        // The sphere's level L of every degree up to t, with the marks it
        // leaves on level L + 1, which its own step then finishes; what the
        // store gives is checked against the whole of the sphere's.
        std::vector<Key> after{{0, t, L == 0 && load ? sphereLevels - 1 : L}};
        if (L + 1 < sphereLevels) {
            after.push_back({0, t, L + 1});
        }
        if (L >= 1) {
            after.push_back({1, t, L - 1});
        }
        graph_.add({1, t, L}, after);
    }
}

void Computation::plan(const std::vector<std::int32_t>& degrees, std::int32_t sphereThrough) {
    for (const std::int32_t t : degrees) {
        scheduleSpace(t);
    }
    scheduleSphere(sphereThrough);
}

// One step as it runs: level L of degree t of a table, on a worker.
struct Computation::Step {
    CurtisTable& table;
    bool sphere = false;
    std::int32_t t = 0;
    int L = 0;
    Worker& worker;
    // Whether the band has a level L + 1, which the step marks as well.
    bool next = false;
    // The bytes of the step's levels before it ran.
    std::uint64_t before = 0;

    // The bytes of the step's levels now.
    std::uint64_t bytes() const {
        return table.kept(t, L).bytes() + (next ? table.kept(t, L + 1).bytes() : 0);
    }
};

std::optional<ComputationResult> Computation::runStep(const Key& key, int index) {
    CurtisTable& table = key.table == 0 ? static_cast<CurtisTable&>(*sphere_) : *space_;
    const bool sphere = key.table == 0;
    const std::int32_t t = key.t;
    const int L = key.L;
    Worker& worker = *workers_[static_cast<std::size_t>(index)];
    if (!allocateSet(worker)) {
        return failure(Outcome::WorkStorageFailed, L, sphere);
    }
    if (L == 0 && mayLoad_[static_cast<std::size_t>(key.table)][static_cast<std::size_t>(t)]) {
        loadDegree(table, key.table, t);
    }
    Step step{table, sphere, t, L, worker, L + 1 < table.band().levels(t)};
    step.before = step.bytes();
    if (L < loaded_[static_cast<std::size_t>(key.table)][static_cast<std::size_t>(t)]) {
        // Given by the store.
    } else if (table.band().whole(t) && L == t - 1) {
        settleTopLevel(table, t);
    } else if (std::optional<ComputationResult> failed = eliminateStep(step)) {
        return failed;
    }
    finishStep(step);
    return std::nullopt;
}

// The worker's term set, allocated by its first step; false if it cannot be.
bool Computation::allocateSet(Worker& worker) const {
    if (worker.allocated) {
        return true;
    }
    const std::int32_t rows =
        settings_.termSetRows > 0 ? settings_.termSetRows : TermSet::maxRowLimit;
    if (!worker.set.allocate(rows, maxMonomialLength)) {
        return false;
    }
    worker.allocated = true;
    return true;
}

// Eliminates the step's level; the result if the step failed or stopped.
std::optional<ComputationResult> Computation::eliminateStep(const Step& step) {
    ComputationResult result;
    result.level = step.L;
    result.sphere = step.sphere;
    Worker& worker = step.worker;
    const CandidateProgress progress = [&](std::int64_t done, std::int64_t total) {
        return carryOn(step, done, total, result);
    };
    CycleKeeping keeping;
    if (step.sphere) {
        keeping.minWords = settings_.keptChains;
        keeping.lastDegree = sphereLast_.load();
        keeping.heldBytes = &cycleBytes_;
        keeping.maxBytes = settings_.cycleBytes;
        keeping.every = settings_.keepEveryCycle;
    }
    // Only the indexed set counts its rows as it goes, so a row limit keeps
    // to it.
    const bool limited = settings_.termSetRows > 0;
    const EliminationStatus status =
        limited ? eliminateLevel(step.table, step.t, step.L, worker.set, progress, keeping)
                : eliminateLevel(step.table, step.t, step.L, worker.sum, progress, keeping);
    {
        const std::lock_guard lock(worker.progressMutex);
        worker.progress.reset();
    }
    switch (status) {
    case EliminationStatus::Ok:
        break;
    case EliminationStatus::TermSetFull:
        return failure(Outcome::TermSetFull, step.L, step.sphere,
                       limited ? settings_.termSetRows : worker.sum.storedTerms());
    case EliminationStatus::Contradiction:
        return failure(Outcome::Contradiction, step.L, step.sphere);
    case EliminationStatus::Stopped:
        if (result.outcome == Outcome::Finished) {
            result.outcome = Outcome::Stopped;
        }
        return result;
    }
    return std::nullopt;
}

// Told by the elimination after each candidate: records how far the step is,
// and whether it may go on, within memory and with the graph not stopping.
bool Computation::carryOn(const Step& step, std::int64_t done, std::int64_t total,
                          ComputationResult& result) {
    Worker& worker = step.worker;
    {
        const std::lock_guard lock(worker.progressMutex);
        worker.progress = ComputationProgress{step.sphere, 0, step.L, step.t, done, total};
    }
    worker.setBytes.store(worker.set.bytes() + worker.sum.bytes());
    const std::uint64_t sets = setBytes();
    return withinMemory(tableBytes_.load() + step.bytes() - step.before + sets, result) &&
           !graph_.stopping();
}

// Degree t of a table from the store, as far as it gives it.
void Computation::loadDegree(CurtisTable& table, int index, std::int32_t t) {
    std::uint64_t bytes = 0;
    const int levels = table.band().levels(t);
    const int final = settings_.store->load(table, nameOf(index), t, table.band().finalLevels(t));
    for (int L = 0; L < levels; ++L) {
        bytes += table.kept(t, L).bytes();
    }
    loaded_[static_cast<std::size_t>(index)][static_cast<std::size_t>(t)] = final;
    tableBytes_ += bytes;
}

void Computation::finishStep(const Step& step) {
    // The level is final: its order is made now, while nothing else reads it.
    step.table.kept(step.t, step.L).increasing();
    tableBytes_ += step.bytes() - step.before;
    if (step.sphere && settings_.afterSphereLevel) {
        settings_.afterSphereLevel(*sphere_, step.t, step.L);
    }
    const int index = step.sphere ? 0 : 1;
    const int final = step.table.band().finalLevels(step.t);
    if (settings_.store && step.L == final - 1 &&
        loaded_[static_cast<std::size_t>(index)][static_cast<std::size_t>(step.t)] < final) {
        settings_.store->save(step.table, nameOf(index), step.t, final);
    }
}

// The bytes of every worker's term set.
std::uint64_t Computation::setBytes() const {
    std::uint64_t sets = 0;
    for (const std::unique_ptr<Worker>& each : workers_) {
        sets += each->setBytes.load();
    }
    return sets;
}

void Computation::tellProgress() {
    if (!settings_.onProgress) {
        return;
    }
    // The lowest step running: the one the level waited for is behind it.
    std::optional<ComputationProgress> lowest;
    for (const std::unique_ptr<Worker>& worker : workers_) {
        const std::lock_guard lock(worker->progressMutex);
        const auto order = [](const ComputationProgress& p) {
            return std::make_tuple(p.t, p.k, !p.sphere);
        };
        if (worker->progress && (!lowest || order(*worker->progress) < order(*lowest))) {
            lowest = worker->progress;
        }
    }
    // Nothing runs: the step waited for is about to.
    if (!lowest) {
        lowest = ComputationProgress{waitedFor_.table == 0, 0, waitedFor_.L, waitedFor_.t, 0, 0};
    }
    lowest->asked = asked_;
    settings_.onProgress(*lowest);
}

std::optional<ComputationResult> Computation::await(const Key& key) {
    waitedFor_ = key;
    return graph_.wait(key, std::chrono::milliseconds(100), [this] { tellProgress(); });
}

ComputationResult Computation::extendSphere(std::int32_t t) {
    asked_ = t;
    scheduleSphere(t);
    const int last = sphere_->band().finalLevels(t) - 1;
    if (const std::optional<ComputationResult> failed = await({0, t, last})) {
        return *failed;
    }
    return ComputationResult{};
}

ComputationResult
Computation::computeDegree(std::int32_t t,
                           const std::function<bool(const FinishedLevel&)>& onLevel) {
    asked_ = t;
    scheduleSpace(t);
    const int table = space_ ? 1 : 0;
    const CurtisTable& levels = this->table();
    for (int k = 0; k < finalLevels(t); ++k) {
        if (const std::optional<ComputationResult> failed = await({table, t, k})) {
            return *failed;
        }
        if (!onLevel(FinishedLevel{k, t, w_, &levels})) {
            return failure(Outcome::Stopped, k, false);
        }
    }
    computed_[static_cast<std::size_t>(t - 1)].store(true);
    return ComputationResult{};
}

ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel) {
    Computation computation(w, settings);
    return computation.computeDegree(t, onLevel);
}

} // namespace curtis
