#pragma once

#include "chart/printed_chart.hpp"
#include "chart/reading_progress.hpp"
#include "readings/table_chains.hpp"
#include "readings/wider_band.hpp"
#include "table/computation.hpp"

#include <string>
#include <vector>

namespace curtis {

// What the chart's plan asks of the sphere's generators: reads them off
// the sphere's tables the computation holds, then names every class of the
// chart and what is read off it (--names), and adds the Massey products
// (--massey) and Adams periodicity (--periodicity). Each bidegree whose
// number of generators differs from the literature's table adds a line to
// `warnings`. A Massey product that is not defined, or a class that is
// none, stops it with `refusal` saying why in one line. Returns the status
// of the first product that failed, or Ok. `beyond` is null, or the
// sphere's tables in the bands one and two filtrations wider, which the
// names make final as far as the lines of the band's top generators need
// (see SphereNames).
// Starts computing the degrees of the band one filtration wider that the
// names will foreseeably read, so that other readings run meanwhile.
void planNamesBeyond(const Computation& computation, const WiderBand& beyond);

ChainStatus addNames(PrintedChart& chart, const Computation& computation, const WiderBand* beyond,
                     const OnReadingProgress& progress, std::vector<std::string>& warnings,
                     std::string& refusal);

} // namespace curtis
