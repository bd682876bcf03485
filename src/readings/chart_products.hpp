#pragma once

#include "chart/printed_chart.hpp"
#include "readings/products.hpp"
#include "report/progress.hpp"

namespace curtis {

// Fills in the products by h0 to h3 of every survivor of the chart's
// degrees, which the computation holds. A product whose degree lies outside
// the chart stays empty. Returns the status of the first product that
// failed, or Ok.
Products::Status addProducts(PrintedChart& chart, const Computation& computation,
                             ProgressLine& progress);

// Fills in the image under the algebraic transfer of every survivor of the
// chart of P_0^b or P_1^b, read off the
// sphere's tables of t + 1 + a. Returns the status of the first image that
// failed, or Ok (a missing sphere degree is a failure).
Products::Status addTransfers(PrintedChart& chart, const Computation& computation,
                              ProgressLine& progress);

} // namespace curtis
