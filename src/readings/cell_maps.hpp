#pragma once

#include "chart/printed_chart.hpp"
#include "chart/reading_progress.hpp"
#include "readings/chain_algebra.hpp"
#include "table/computation.hpp"

#include <cstddef>

namespace curtis {

// Fills in the image of every class of the chart under the plan's cell map
// number `index` (include, pinch or boundary), on `algebra`, whose
// computation is the chart's, read off `target`, the computation of the
// map's target space. A class's cycle (rows of the chart's table) is mapped
// word by word, keeping each word's true cell:
// - include: the same words, a cycle of P_A^C;
// - pinch: the words on cells above B, a cycle of the quotient P_(B+1)^C;
// - boundary: the words lifted to P_A^C and their boundary there, reduced;
//   the lift is a cycle modulo the cells up to B, so its boundary lies on
//   them, a cycle of P_A^B (a term above B contradicts the tables).
// The image's class is read off the target's table. It is null where that
// level is not final there, and [] where the image is zero as a chain.
// Returns the status of the first image that failed, or Ok.
ChainStatus addCellMap(PrintedChart& chart, ChainAlgebra& algebra, const Computation& target,
                       std::size_t index, const OnReadingProgress& progress);

} // namespace curtis
