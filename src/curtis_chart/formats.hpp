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

struct SvgOptions {
    bool arrows = false; // draw the pairings that change the cell
};

// The chart as an Adams-style picture in SVG: x the stem in the space itself,
// t - s - w, y the Adams filtration s - 1; a dot per survivor, coloured by
// its cell index from a small palette and labelled with it; with
// options.arrows a thin arrow per pairing that changes the cell, from the
// source's position to the target's. Bidegrees outside the computed total
// degrees are shaded.
std::string chartSvg(const PrintedChart& chart, const SvgOptions& options = {});

// The chart as tab-separated values: a header row
// t, s, stem, filtration, cell, monomial, kind, source, then one row per
// survivor (kind "survivor", source empty) and per arrow (kind "arrow") in
// the chart's order; a monomial is its printed entries separated by blanks.
std::string chartTsv(const PrintedChart& chart);

} // namespace curtis
