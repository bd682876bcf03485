#pragma once

#include "chart/printed_chart.hpp"

#include <cstdint>
#include <optional>

namespace curtis {

// The first degree of the chart that is not sound: a level out of place, a
// class without a reading the plan shows, or a product or transfer image
// that points to a level or class the chart does not hold. A chart made
// from sound tables is sound: one that is not contradicts them, and nothing
// may read its references.
std::optional<std::int32_t> firstUnsoundDegree(const PrintedChart& chart);

} // namespace curtis
