#pragma once

#include "chart/printed_chart.hpp"
#include "chart/reading_progress.hpp"
#include "readings/table_chains.hpp"
#include "table/computation.hpp"

#include <cstddef>

namespace curtis {

// Fills in the image of every class of the unstable chart of S^N under the
// plan's EHP map number `index` (E, H or P), read off the sphere's table.
// A class of S^N is a cycle of Λ(N): a survivor's cycle, or for a target
// killed from above S^N the boundary of its killer's chain, which lies in
// Λ(N). Its image:
// - E: the same cycle, read in Λ(N+1);
// - H: its words λ_(N-1) λ_J as λ_J, the others left out, read in
//   Λ(2N-1) (the quotient Λ(N)/Λ(N-1) is Λ(2N-1) moved by N - 1);
// - P (N = 2M+1): its words λ_J lifted to λ_M λ_J in Λ(M+1), whose
//   boundary, reduced, lies in Λ(M) (a term outside it contradicts the
//   table), read in Λ(M).
// Null where the target's level is not final; [] for a chain that is zero.
// Returns the status of the first image that failed, or Ok.
ChainStatus addEhpMap(PrintedChart& chart, const Computation& computation, std::size_t index,
                      const OnReadingProgress& progress);

} // namespace curtis
