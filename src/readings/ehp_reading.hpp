#pragma once

#include "chart/birth_sphere.hpp"
#include "chart/printed_chart.hpp"

// The sphere's table read as the algebraic EHP sequence: the sphere each
// class is born on and, for a target, dies on (see chart/birth_sphere.hpp).

namespace curtis {

// The sphere's level with births: the survivors with the sphere each is born
// on, and every pairing that changes the first index as an EHP pair, in the
// chart's order.
PrintedLevel printEhpLevel(const FinishedLevel& level);

// The level of the unstable chart of S^N (N >= 1): its classes by leading
// monomial in the chart's order, each with the sphere it is born on: the
// survivors born on S^N or below, and the targets born on S^N or below whose
// source is born above S^N, each with that source and the sphere it dies on.
PrintedLevel printUnstableLevel(const FinishedLevel& level, int sphere);

// A level of the chart as its readings print it: unstable, with births, or
// plain.
PrintedLevel printChartLevel(const FinishedLevel& level, const Readings& readings);

} // namespace curtis
