#pragma once

#include "curtis_chart/chart_cache.hpp"
#include "elimination/computation.hpp"
#include "report/printed_chart.hpp"
#include "report/progress.hpp"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace curtis {

// How each degree of one space is had: taken whole from the cache, resumed
// from a checkpoint of an earlier run, or computed. With a cache, a degree
// saves what it needs to resume at the first level boundary after each
// checkpoint interval, counted from its start or its last checkpoint (not
// when every level is kept), and a finished degree is stored.
class DegreeSource {
public:
    using Printer = std::function<PrintedLevel(const FinishedLevel&)>;
    // Told each printed level as soon as it is there, in order; false stops.
    using LevelSink = std::function<bool(PrintedLevel&&)>;

    DegreeSource(std::int32_t w, ComputationSettings& settings, Printer print, ChartCache* cache,
                 std::optional<std::chrono::minutes> checkpointEvery, ProgressLine& progress);

    // Called after each checkpoint is saved, with t and the level it resumes
    // at (the test build stops the process there).
    std::function<void(std::int32_t t, int level)> afterCheckpoint;

    // Degree t as the cache holds it, if it does.
    std::optional<CachedDegree> cached(std::int32_t t);

    // Hands the levels of a cached degree to sink and says so on the
    // progress line; false if the sink stopped.
    bool take(const CachedDegree& degree, const LevelSink& sink);

    // Computes degree t, resuming from its checkpoint where there is a sound
    // one, and hands each printed level to sink.
    ComputationResult compute(std::int32_t t, const LevelSink& sink);

    // Stores a finished degree in the cache, if there is one, and drops its
    // checkpoint.
    void store(const CachedDegree& degree);

private:
    ComputationResult run(std::int32_t t, const LevelSink& sink, bool resume);

    std::int32_t w_;
    ComputationSettings& settings_;
    Printer print_;
    ChartCache* cache_;
    std::optional<std::chrono::minutes> checkpointEvery_;
    ProgressLine& progress_;
};

} // namespace curtis
