#pragma once

#include "chart/printed_chart.hpp"

#include <cstdint>
#include <optional>

namespace curtis {

// The first degree of the chart that is not sound: a level out of place, a
// class without a reading the plan shows, or a product or transfer image
// that points to a level or class the chart does not hold. A chart this
// program computes is sound; a degree read back from a damaged cache may
// not be, and nothing may read such a degree's references.
std::optional<std::int32_t> firstUnsoundDegree(const PrintedChart& chart);

// Strips a degree of the readings the plan does not show, so that nothing
// a file holds beyond them reaches a writer, and of the products that land
// past the plan's last degree: those were read off degrees this chart does
// not hold.
void keepPlannedReadings(PrintedDegree& degree, const ChartPlan& plan);

} // namespace curtis
