#include "chart_tool/degree_source.hpp"

namespace curtis {

DegreeSource::DegreeSource(Compute compute, Printer print, ChartCache* cache,
                           ProgressLine& progress)
    : compute_(std::move(compute)), print_(std::move(print)), cache_(cache), progress_(progress) {}

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
    return compute_(t, [&](const FinishedLevel& level) { return sink(print_(level)); });
}

void DegreeSource::store(const CachedDegree& degree) {
    if (cache_ != nullptr) {
        cache_->storeDegree(degree.degree.t, degree);
    }
}

} // namespace curtis
