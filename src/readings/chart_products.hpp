#pragma once

#include "chart/printed_chart.hpp"
#include "chart/reading_progress.hpp"
#include "readings/products.hpp"
#include "readings/products_ahead.hpp"
#include "readings/table_chains.hpp"

#include <optional>
#include <string>
#include <vector>

namespace curtis {

// Fills in the products by h0 to h3 of every survivor of the chart's
// degrees, which the computation holds. A product whose degree lies outside
// the chart stays empty. Those `ahead` read while the chart was computed
// (stopped by now) are taken from it. Returns the status of the first
// product that failed, or Ok.
ChainStatus addProducts(PrintedChart& chart, const Computation& computation,
                        const OnReadingProgress& progress, const ProductsAhead* ahead = nullptr);

// The products by h_i of every class of an unstable chart of S^N: null
// where h_i is not yet there (N + stem < 2^i) or the product's level is not
// in the chart.
ChainStatus addUnstableProducts(PrintedChart& chart, const Computation& computation,
                                const OnReadingProgress& progress);

// The class of the sphere that x names, a survivor of the computation's
// sphere table; nothing, with why in one line, if there is no such class.
std::optional<SphereSurvivor> findSphereClass(const Computation& computation,
                                              const SphereClassRef& x, std::string& why);

// Fills in the products of every survivor of the chart's degrees by the
// sphere's classes `by` (those of the plan's --multiply, in order), null
// where the product's level is not in the chart. Returns the status of the
// first product that failed, or Ok.
ChainStatus addMultiplied(PrintedChart& chart, const Computation& computation,
                          const std::vector<SphereSurvivor>& by, const OnReadingProgress& progress);

// The most terms a cycle the chart writes may have: a larger one is refused.
inline constexpr std::size_t maxCycleTerms = 100000;

// Fills in the cycle of every survivor of the chart's degrees. A cycle of
// more than maxCycleTerms terms stops it, with `refusal` saying which, in
// one line. Returns the status of the cycle that failed, or Ok.
ChainStatus addCycles(PrintedChart& chart, const Computation& computation,
                      const OnReadingProgress& progress, std::string& refusal);

// Fills in the image under the algebraic transfer of every survivor of the
// chart of P_0^b or P_1^b, read off the
// sphere's tables of t + 1 + a. Returns the status of the first image that
// failed, or Ok (a missing sphere degree is a failure).
ChainStatus addTransfers(PrintedChart& chart, const Computation& computation,
                         const OnReadingProgress& progress);

// Fills in Sq^0 of every survivor of the sphere's chart: null where its
// level (s of total degree 2t - 1) is not final. Returns the status of the
// first image that failed, or Ok.
ChainStatus addSq0(PrintedChart& chart, const Computation& computation,
                   const OnReadingProgress& progress);

} // namespace curtis
