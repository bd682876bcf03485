#pragma once

#include "elimination/products.hpp"
#include "report/printed_chart.hpp"
#include "report/progress.hpp"

#include <vector>

namespace curtis {

// Fills in the products by h0 to h3 of every survivor of the chart, from the
// kept degrees it was printed from (one per total degree of the chart, in
// order). A product whose degree lies outside the chart stays empty. Returns
// the status of the first product that failed, or Ok.
Products::Status addProducts(PrintedChart& chart, std::vector<FinishedDegree>& degrees,
                             ProgressLine& progress);

} // namespace curtis
