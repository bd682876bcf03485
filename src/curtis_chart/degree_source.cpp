#include "curtis_chart/degree_source.hpp"

#include <string>
#include <vector>

namespace curtis {

DegreeSource::DegreeSource(std::int32_t w, ComputationSettings& settings, Printer print,
                           ChartCache* cache, std::optional<std::chrono::minutes> checkpointEvery,
                           ProgressLine& progress)
    : w_(w), settings_(settings), print_(std::move(print)), cache_(cache),
      checkpointEvery_(checkpointEvery), progress_(progress) {}

std::optional<CachedDegree> DegreeSource::cached(std::int32_t t) {
    return cache_ != nullptr ? cache_->degree(t) : std::nullopt;
}

bool DegreeSource::take(const CachedDegree& degree, const LevelSink& sink) {
    progress_.note(degree.degree.t, "taken from the cache");
    for (PrintedLevel level : degree.degree.levels) {
        if (!sink(std::move(level))) {
            return false;
        }
    }
    return true;
}

ComputationResult DegreeSource::compute(std::int32_t t, const LevelSink& sink) {
    const bool resumable = cache_ != nullptr && !settings_.keepLevels;
    ComputationResult result = run(t, sink, resumable);
    if (result.outcome == Outcome::ResumeMismatch) {
        // The checkpoint has been set aside: the degree from its start.
        result = run(t, sink, false);
    }
    return result;
}

ComputationResult DegreeSource::run(std::int32_t t, const LevelSink& sink, bool resume) {
    // The levels a checkpoint holds are handed over only once the
    // computation has taken its records.
    std::vector<PrintedLevel> pending;
    ComputationSettings::ResumePoint point;
    std::optional<Checkpoint> checkpoint = resume ? cache_->checkpoint(t) : std::nullopt;
    ComputationSettings settings = settings_;
    settings.resumeFrom = nullptr;
    if (checkpoint) {
        pending = std::move(checkpoint->levels);
        point.level = checkpoint->level;
        point.fill = [this, t](Record* records, std::int64_t count) {
            return cache_->fillRecords(t, records, count);
        };
        settings.resumeFrom = &point;
        progress_.note(t, ("resumed at degree s=" + std::to_string(point.level + 1)).c_str());
    }
    // Every level printed so far, for the checkpoints.
    std::vector<PrintedLevel> printed = pending;
    // The time since the degree started or last saved a checkpoint.
    auto since = std::chrono::steady_clock::now();
    if (cache_ != nullptr && checkpointEvery_ && !settings.keepLevels) {
        settings.onLevelBoundary = [&, t](int k, const LevelTable& next) {
            if (std::chrono::steady_clock::now() - since < *checkpointEvery_) {
                return;
            }
            cache_->storeCheckpoint(t, Checkpoint{printed, k + 1}, next);
            since = std::chrono::steady_clock::now();
            if (afterCheckpoint) {
                afterCheckpoint(t, k + 1);
            }
        };
    }
    bool handedPending = false;
    const auto handPending = [&] {
        if (handedPending) {
            return true;
        }
        handedPending = true;
        for (PrintedLevel& level : pending) {
            if (!sink(std::move(level))) {
                return false;
            }
        }
        return true;
    };
    const ComputationResult result =
        runComputation(t, w_, settings, [&](const FinishedLevel& level) {
            if (!handPending()) {
                return false;
            }
            PrintedLevel level_ = print_(level);
            if (cache_ != nullptr && checkpointEvery_) {
                printed.push_back(level_);
            }
            return sink(std::move(level_));
        });
    if (result.outcome == Outcome::Finished && !handPending()) {
        ComputationResult stopped = result;
        stopped.outcome = Outcome::Stopped;
        return stopped;
    }
    return result;
}

void DegreeSource::store(const CachedDegree& degree) {
    if (cache_ != nullptr) {
        cache_->storeDegree(degree.degree.t, degree);
        cache_->dropCheckpoint(degree.degree.t);
    }
}

} // namespace curtis
