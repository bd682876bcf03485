#pragma once

#include "chart/printed_chart.hpp"
#include "chart/reading_progress.hpp"
#include "readings/table_chains.hpp"

#include <cstddef>

namespace curtis {

// Fills in every shown class's image under the plan's map number `index`:
// image(t, k, c, out) reads class c of level k of degree t (of `table`, the
// chart's) into out, and returns its status. Every class gets a slot for
// every map. Returns the status of the first image that failed, or Ok.
template <typename Image>
ChainStatus addMapImages(PrintedChart& chart, const CurtisTable& table, std::size_t index,
                         const OnReadingProgress& progress, Image&& image) {
    std::size_t total = 0;
    double work = 0;
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            total += level.classes.size();
            work += static_cast<double>(level.classes.size()) *
                    readingWork(table.kept(degree.t, level.at.k()));
        }
    }
    ReadingSteps steps(progress, "maps", "classes", total, work);
    for (PrintedDegree& degree : chart.degrees) {
        for (PrintedLevel& level : degree.levels) {
            const int k = level.at.k();
            for (ChartClass& c : level.classes) {
                steps.next(degree.t, k, readingWork(table.kept(degree.t, k)));
                c.maps.resize(chart.plan.readings.maps.size());
                if (!chart.plan.shows(level.at)) {
                    continue;
                }
                if (const ChainStatus status = image(degree.t, k, c, c.maps[index]);
                    status != ChainStatus::Ok) {
                    return status;
                }
            }
        }
    }
    return ChainStatus::Ok;
}

} // namespace curtis
