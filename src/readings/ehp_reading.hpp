#pragma once

#include "chart/printed_chart.hpp"

// The sphere's table read as the algebraic EHP sequence. The subcomplex
// Lambda(N) of the words whose first lambda index is below N computes the
// unstable Adams E2 term of S^N. The elimination visits words in increasing
// order and a word's first index decides most of its order, so each
// pairing x -> y (x's elimination ended on the leading term y) pairs a word
// with one of no larger first index, and the table holds every Lambda(N) at
// once: a survivor y is a class of every S^N with N > i1(y), and a target y
// of x is one of the S^N with i1(y) < N <= i1(x). So y is born on
// S^(i1(y) + 1) and, as a target, dies on S^(i1(x) + 1). The unit has no
// lambda index: it is born on S^0.

namespace curtis {

// The sphere a word of the sphere's table is born on: its first lambda index
// plus one, 0 for the unit.
int birthSphere(const PrintedMonomial& word);

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
