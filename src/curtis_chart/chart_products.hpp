#pragma once

#include "elimination/products.hpp"
#include "report/printed_chart.hpp"
#include "report/progress.hpp"

#include <vector>

namespace curtis {

// Fills in the products by h0 to h3 of every survivor of the chart's degrees
// that were computed here, from their kept degrees (the others, taken from
// the cache, have theirs); every degree a product lands in must be kept too.
// A product whose degree lies outside the chart stays empty. Returns the
// status of the first product that failed, or Ok.
Products::Status addProducts(PrintedChart& chart, std::vector<FinishedDegree>& degrees,
                             ProgressLine& progress);

// Fills in the image under the algebraic transfer of every survivor of the
// chart of P_0^b or P_1^b in the degrees computed here, from their kept
// degrees and the sphere's kept degrees t + 1 + a. Returns the status of the
// first image that failed, or Ok (a missing sphere degree is a failure).
Products::Status addTransfers(PrintedChart& chart, std::vector<FinishedDegree>& degrees,
                              std::vector<FinishedDegree>& sphere, ProgressLine& progress);

} // namespace curtis
