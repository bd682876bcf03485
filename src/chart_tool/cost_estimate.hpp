#pragma once

#include "chart/chart_plan.hpp"

#include <string>

namespace curtis {

// What a plan will cost before any of it is computed: the wall time on two
// cores by a model of measured runs, and the one line that says so.
//
// The model: measured times of whole charts (every filtration) and of
// bands of filtrations 0 to 9 by total degree t, of the sphere and of
// RP^∞, interpolated geometrically between the measured t and continued
// beyond the ends at the growth of the nearest two; a band of filtrations
// 0 to F costs the band to 9 times 1.8^(F - 9), and never more than the
// whole chart. The sphere and every single cell S^a cost what the sphere
// costs; every other space what RP^∞ costs, which bounds them. The
// transfer adds the sphere's chart to t + 1 + a.
double estimatedSeconds(const ChartPlan& plan);

// Plans estimated above this many seconds announce their cost.
inline constexpr double announcedCost = 60;

// The line that names the plan's range, why it is that range, and the
// estimate, for a plan estimated above announcedCost; else empty.
std::string costLine(const ChartPlan& plan);

} // namespace curtis
