#pragma once

#include "chart/printed_chart.hpp"
#include "report/progress.hpp"
#include "store/chart_cache.hpp"
#include "table/computation.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace curtis {

// How each degree of one table is had: taken whole from the cache, or
// computed. With a cache, a finished degree is stored.
class DegreeSource {
public:
    using Printer = std::function<PrintedLevel(const FinishedLevel&)>;
    // Told each printed level as soon as it is there, in order; false stops.
    using LevelSink = std::function<bool(PrintedLevel&&)>;
    // Computes degree t, handing each final level over in order.
    using Compute = std::function<ComputationResult(
        std::int32_t t, const std::function<bool(const FinishedLevel&)>& onLevel)>;

    DegreeSource(Compute compute, Printer print, ChartCache* cache, ProgressLine& progress);

    // Degree t as the cache holds it, if it does.
    std::optional<CachedDegree> cached(std::int32_t t);

    // Hands the levels of a cached degree to sink and says so on the
    // progress line; false if the sink stopped.
    bool take(const CachedDegree& degree, const LevelSink& sink);

    // Computes degree t and hands each printed level to sink.
    ComputationResult compute(std::int32_t t, const LevelSink& sink);

    // Stores a finished degree in the cache, if there is one.
    void store(const CachedDegree& degree);

private:
    Compute compute_;
    Printer print_;
    ChartCache* cache_;
    ProgressLine& progress_;
};

} // namespace curtis
