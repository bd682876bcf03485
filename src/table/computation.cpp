#include "table/computation.hpp"

#include "algebra/monomial.hpp"
#include "table/level_elimination.hpp"

#include <algorithm>

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

Computation::Computation(std::int32_t w, ComputationSettings settings)
    : w_(w), settings_(std::move(settings)),
      sphere_(std::make_unique<SphereTable>(
          widened(settings_.maxFiltration, settings_.sphereExtraFiltrations))) {
    if (!settings_.topCell || *settings_.topCell != -w) {
        // Cells above t - 1 are never reached.
        const int top = settings_.topCell
                            ? static_cast<int>(std::clamp<std::int64_t>(
                                  std::int64_t{*settings_.topCell} + w, 0, maxEntryDegree))
                            : noTopCell;
        space_ = std::make_unique<SpaceTable>(*sphere_, w, top, TableBand{settings_.maxFiltration});
    }
}

const CurtisTable& Computation::table() const {
    return space_ ? static_cast<const CurtisTable&>(*space_) : *sphere_;
}

bool Computation::computed(std::int32_t t) const {
    return t >= 1 && static_cast<std::size_t>(t) <= computed_.size() &&
           computed_[static_cast<std::size_t>(t - 1)];
}

std::uint64_t Computation::bytesHeld() const {
    return tableBytes() + setBytes();
}

std::uint64_t Computation::tableBytes() const {
    return sphere_->bytes() + (space_ ? space_->bytes() : 0);
}

std::uint64_t Computation::setBytes() const {
    return setAllocated_ ? set_.bytes() : 0;
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

ComputationResult Computation::extendSphere(std::int32_t t) {
    asked_ = t;
    return growSphere(t);
}

ComputationResult Computation::growSphere(std::int32_t t) {
    for (std::int32_t d = sphere_->degrees() + 1; d <= t; ++d) {
        const ComputationResult result = computeTableDegree(*sphere_, d, nullptr, 0);
        if (result.outcome != Outcome::Finished) {
            return result;
        }
        if (settings_.afterSphereDegree) {
            settings_.afterSphereDegree(*sphere_, d);
        }
    }
    return ComputationResult{};
}

ComputationResult
Computation::computeDegree(std::int32_t t,
                           const std::function<bool(const FinishedLevel&)>& onLevel) {
    asked_ = t;
    ComputationResult result = growSphere(space_ ? t : t - 1);
    if (result.outcome != Outcome::Finished) {
        return result;
    }
    // A degree the table has already: read off as it stands.
    const CurtisTable* finished = nullptr;
    if (space_ && computed(t)) {
        finished = space_.get();
    } else if (!space_ && sphere_->hasLevel(t, 0)) {
        finished = sphere_.get();
    }
    if (finished == nullptr && space_) {
        result = computeTableDegree(*space_, t, &onLevel, w_);
    } else if (finished == nullptr) {
        result = computeTableDegree(*sphere_, t, &onLevel, w_);
        if (result.outcome == Outcome::Finished && settings_.afterSphereDegree) {
            settings_.afterSphereDegree(*sphere_, t);
        }
    } else {
        // Read off the table as it stands.
        for (int k = 0; k < finalLevels(t); ++k) {
            if (!onLevel(FinishedLevel{k, t, w_, finished})) {
                return failure(Outcome::Stopped, k, false);
            }
        }
    }
    if (result.outcome == Outcome::Finished) {
        if (computed_.size() < static_cast<std::size_t>(t)) {
            computed_.resize(static_cast<std::size_t>(t), false);
        }
        computed_[static_cast<std::size_t>(t - 1)] = true;
    }
    return result;
}

ComputationResult
Computation::computeTableDegree(CurtisTable& table, std::int32_t t,
                                const std::function<bool(const FinishedLevel&)>* onLevel,
                                std::int32_t w) {
    const bool sphere = &table == sphere_.get();
    if (!setAllocated_) {
        const std::int32_t rows =
            settings_.termSetRows > 0 ? settings_.termSetRows : TermSet::maxRowLimit;
        if (!set_.allocate(rows, maxMonomialLength)) {
            return failure(Outcome::WorkStorageFailed, 0, sphere);
        }
        setAllocated_ = true;
    }
    table.openDegree(t);
    const TableBand& band = table.band();
    // The levels handed over are the space's, which may be fewer than the
    // sphere's table has (the transfer's band).
    const int handed = finalLevels(t);
    const auto handOver = [&](int k) {
        return onLevel == nullptr || k >= handed || (*onLevel)(FinishedLevel{k, t, w, &table});
    };
    ComputationResult result;
    for (int L = 0; L < band.finalLevels(t) && L + 1 < t; ++L) {
        // The records of every other level do not change while this one is
        // eliminated.
        const std::uint64_t others =
            tableBytes() - table.kept(t, L).bytes() - table.kept(t, L + 1).bytes();
        if (!withinMemory(bytesHeld(), result)) {
            result.level = L;
            result.sphere = sphere;
            return result;
        }
        const EliminationStatus status =
            eliminateLevel(table, t, L, set_, [&](std::int64_t done, std::int64_t total) {
                if (settings_.onProgress) {
                    settings_.onProgress(ComputationProgress{sphere, asked_, L, t, done, total});
                }
                return withinMemory(others + table.kept(t, L).bytes() +
                                        table.kept(t, L + 1).bytes() + setBytes(),
                                    result);
            });
        switch (status) {
        case EliminationStatus::Ok:
            break;
        case EliminationStatus::TermSetFull:
            return failure(Outcome::TermSetFull, L, sphere,
                           settings_.termSetRows > 0 ? settings_.termSetRows : set_.rowCapacity());
        case EliminationStatus::Contradiction:
            return failure(Outcome::Contradiction, L, sphere);
        case EliminationStatus::Stopped:
            result.level = L;
            result.sphere = sphere;
            return result;
        }
        if (!handOver(L)) {
            return failure(Outcome::Stopped, L, sphere);
        }
    }
    if (band.whole(t)) {
        settleTopLevel(table, t);
        if (!handOver(t - 1)) {
            return failure(Outcome::Stopped, t - 1, sphere);
        }
    }
    return ComputationResult{};
}

ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel) {
    Computation computation(w, settings);
    return computation.computeDegree(t, onLevel);
}

} // namespace curtis
