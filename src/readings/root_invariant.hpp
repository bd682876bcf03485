#pragma once

#include "chart/printed_chart.hpp"
#include "chart/reading_progress.hpp"
#include "readings/table_chains.hpp"
#include "table/computation.hpp"

#include <cstdint>

namespace curtis {

// The algebraic root invariant of the sphere's classes, read off the chart
// of P_{-N} (cells from -N upward).
//
// e(-1) is a cycle of P_{-N}: the coefficients of its boundary are even. For
// a class α of the sphere (stem n, filtration s) with cycle A, e(-1) A is a
// cycle of P_{-N} of filtration s: each word λ_I of A becomes e(-1) λ_I,
// admissible as it stands (the cell meets no lambda's admissibility). Its
// class is a sum of survivors, each the leading word of its cycle, whose
// cell is that cycle's top cell; a reading meets only words at or below the
// leading term. So the highest cell -k among the survivors met is the least
// top cell of a cycle of the class: the cell that detects it. Pinching the
// cells below -k, the class is the image of β[-k] in P_{-k}^∞, where β is
// the class of the sphere of the words on cell -k of those survivors'
// cycles (a cycle of the sphere: nothing above it). Then R(α) = β, at stem
// n + k - 1 and filtration s, modulo the classes of cell -k that the cells
// above it kill.
//
// The pinch P_{-N} -> P_{-N+1} keeps a class that is not zero on it, so
// e(-1) α is zero in P_{-N} exactly when N < k: the class read is null then.
// For N >= k the same survivors of cells -k and up are met, whatever N.

// The default N of a chart's root invariants: twice its last total degree
// (the root invariant of α of stem n, filtration s lies at most at stem
// 3n + 2s, as for h0^s and h_i), within the degrees a table can reach.
std::int32_t rootInvariantCells(std::int32_t lastDegree);

// The total degree of P_{-N} where e(-1) α lies, α of total degree t.
inline std::int32_t rootInvariantDegree(std::int32_t t, std::int32_t cells) {
    return t + cells - 1;
}

// Fills in the root invariant of every shown class of the sphere's chart,
// read off `projective`, the computation of P_{-N} (N the plan's) with the
// degrees rootInvariantDegree of the chart's computed. Returns the status of
// the first reading that failed, or Ok.
ChainStatus addRootInvariants(PrintedChart& chart, const Computation& sphere,
                              const Computation& projective, const OnReadingProgress& progress);

} // namespace curtis
