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
    TermSet set;
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
}

Computation::~Computation() {
    graph_.stop();
}

const CurtisTable& Computation::table() const {
    return space_ ? static_cast<const CurtisTable&>(*space_) : *sphere_;
}

bool Computation::computed(std::int32_t t) const {
    return t >= 1 && static_cast<std::size_t>(t) <= computed_.size() &&
           computed_[static_cast<std::size_t>(t - 1)];
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
    for (std::int32_t d = sphereScheduled_ + 1; d <= t; ++d) {
        sphere_->openDegree(d);
        for (int L = 0; L < band.finalLevels(d); ++L) {
            std::vector<Key> after;
            if (L >= 1) {
                after.push_back({0, d, L - 1});
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
    const int sphereLevels = sphere_->band().finalLevels(t);
    for (int L = 0; L < finalLevels(t); ++L) {
        // The sphere's level L of every degree up to t, with the marks it
        // leaves on level L + 1, which its own step then finishes.
        std::vector<Key> after{{0, t, L}};
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

std::optional<ComputationResult> Computation::runStep(const Key& key, int index) {
    CurtisTable& table = key.table == 0 ? static_cast<CurtisTable&>(*sphere_) : *space_;
    const bool sphere = key.table == 0;
    const std::int32_t t = key.t;
    const int L = key.L;
    Worker& worker = *workers_[static_cast<std::size_t>(index)];
    if (!worker.allocated) {
        const std::int32_t rows =
            settings_.termSetRows > 0 ? settings_.termSetRows : TermSet::maxRowLimit;
        if (!worker.set.allocate(rows, maxMonomialLength)) {
            return failure(Outcome::WorkStorageFailed, L, sphere);
        }
        worker.allocated = true;
    }
    const bool next = L + 1 < table.band().levels(t);
    const auto stepBytes = [&] {
        return table.kept(t, L).bytes() + (next ? table.kept(t, L + 1).bytes() : 0);
    };
    const std::uint64_t before = stepBytes();
    ComputationResult result;
    result.level = L;
    result.sphere = sphere;
    if (table.band().whole(t) && L == t - 1) {
        settleTopLevel(table, t);
    } else {
        const EliminationStatus status =
            eliminateLevel(table, t, L, worker.set, [&](std::int64_t done, std::int64_t total) {
                {
                    const std::lock_guard lock(worker.progressMutex);
                    worker.progress = ComputationProgress{sphere, 0, L, t, done, total};
                }
                worker.setBytes.store(worker.set.bytes());
                std::uint64_t sets = 0;
                for (const std::unique_ptr<Worker>& each : workers_) {
                    sets += each->setBytes.load();
                }
                return withinMemory(tableBytes_.load() + stepBytes() - before + sets, result) &&
                       !graph_.stopping();
            });
        {
            const std::lock_guard lock(worker.progressMutex);
            worker.progress.reset();
        }
        switch (status) {
        case EliminationStatus::Ok:
            break;
        case EliminationStatus::TermSetFull:
            return failure(Outcome::TermSetFull, L, sphere,
                           settings_.termSetRows > 0 ? settings_.termSetRows
                                                     : worker.set.rowCapacity());
        case EliminationStatus::Contradiction:
            return failure(Outcome::Contradiction, L, sphere);
        case EliminationStatus::Stopped:
            if (result.outcome == Outcome::Finished) {
                result.outcome = Outcome::Stopped;
            }
            return result;
        }
    }
    // The level is final: its order is made now, while nothing else reads it.
    table.kept(t, L).increasing();
    tableBytes_ += stepBytes() - before;
    if (sphere && settings_.afterSphereLevel) {
        settings_.afterSphereLevel(*sphere_, t, L);
    }
    return std::nullopt;
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
    if (computed_.size() < static_cast<std::size_t>(t)) {
        computed_.resize(static_cast<std::size_t>(t), false);
    }
    computed_[static_cast<std::size_t>(t - 1)] = true;
    return ComputationResult{};
}

ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel) {
    Computation computation(w, settings);
    return computation.computeDegree(t, onLevel);
}

} // namespace curtis
