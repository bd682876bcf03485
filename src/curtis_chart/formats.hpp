#pragma once

#include "curtis_chart/chart_data.hpp"

#include <string>

namespace curtis {

// The chart as JSON:
//   {"weight": W, "bottom_cell": -W, "top_cell": B or null,
//    "degrees": [{"t": t, "levels": [{"s": s,
//     "topological_degree": t - s, "coweight": t - W - s, "stem": t - W - s,
//     "survivors": [[c, l1, ...], ...],
//     "arrows": [{"target": [...], "source": [...]}, ...]}, ...]}, ...]}
// with survivors and arrows in the chart's order.
std::string chartJson(const PrintedChart& chart);

// The chart as an Adams-style picture in SVG: x the topological degree
// t - s, y the number of lambda indices s - 1; a circle per survivor, coloured
// by its cell index, a lighter line per arrow from the source's position to
// the target's.
std::string chartSvg(const PrintedChart& chart);

} // namespace curtis
