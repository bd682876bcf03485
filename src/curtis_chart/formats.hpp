#pragma once

#include "curtis_chart/chart_data.hpp"

#include <cstdio>
#include <string>

namespace curtis {

// The chart as JSON:
//   {"weight": W, "bottom_cell": -W, "top_cell": B or null,
//    "degrees": [{"t": t, "levels": [{"s": s,
//     "topological_degree": t - s, "coweight": t - W - s, "stem": t - W - s,
//     "survivors": [[c, l1, ...], ...],
//     "arrows": [{"target": [...], "source": [...]}, ...]}, ...]}, ...]}
// with survivors and arrows in the chart's order; with products each level
// also has "products", aligned with "survivors": for each survivor
// {"h0": [...], "h1": [...], "h2": [...], "h3": [...]}, the monomials of the
// survivors whose sum the product is, null where its degree was not computed.
// It is written straight to out, without a document in memory.
void writeChartJson(std::FILE* out, const PrintedChart& chart);

struct SvgOptions {
    bool arrows = false;  // draw the pairings that change the cell
    bool h3Lines = false; // with products: draw the h3 lines too
};

// The chart as an Adams-style picture in SVG: x the stem in the space itself,
// t - s - w, y the Adams filtration s - 1; a dot per survivor, coloured by
// its cell index from a small palette and labelled with it; with
// options.arrows a thin arrow per pairing that changes the cell, from the
// source's position to the target's. Bidegrees outside the computed total
// degrees are shaded. With products: h0 as vertical lines, h1 of slope 1,
// h2 of slope 1/3, and h3 with options.h3Lines, from a survivor to each term
// of its product.
std::string chartSvg(const PrintedChart& chart, const SvgOptions& options = {});

// The chart as tab-separated values: a header row
// t, s, stem, filtration, cell, monomial, kind, source, then one row per
// survivor (kind "survivor", source empty) and per arrow (kind "arrow") in
// the chart's order; a monomial is its printed entries separated by blanks.
// With products, a row per term of each product after the level's rows: kind
// h0 to h3, the term's own bidegree, cell and monomial, and the survivor
// multiplied as source.
std::string chartTsv(const PrintedChart& chart);

} // namespace curtis
