#pragma once

#include "chart/printed_chart.hpp"

#include <cstdio>
#include <string>
#include <vector>

namespace curtis {

// A chart on a plane other than the Adams one: x the stem and y the sphere
// a class is born on (the algebraic EHP spectral sequence of the sphere),
// or y its cell (the algebraic Atiyah–Hirzebruch spectral sequence of
// P_A^B). Every class of the table's pairings that the reading follows is a
// dot: the survivors, and both ends of each pairing, whose arrow runs from
// its source, one stem up, to its target.
struct PlaneDot {
    int x = 0;
    int y = 0;
    std::string label;
    std::string title;         // the monomial, and what becomes of it
    std::optional<int> diesOn; // an EHP target: the sphere it dies on
};

struct PlaneArrow {
    std::size_t from = 0; // the source's dot
    std::size_t to = 0;   // the target's dot
};

struct PlaneChart {
    std::string title;
    std::string yName;
    int firstX = 0;
    int lastX = -1;
    int firstY = 0;
    int lastY = -1;
    std::vector<PlaneDot> dots;
    std::vector<PlaneArrow> arrows;
};

// The sphere's EHP chart, of a chart read with births and EHP pairs.
PlaneChart ehpPlane(const PrintedChart& chart);
// The cells chart of P_A^B.
PlaneChart cellsPlane(const PrintedChart& chart);
// The plane the chart's plan asks for.
PlaneChart planeOf(const PrintedChart& chart);

// The plane as an SVG document.
void writePlaneSvg(std::FILE* out, const PlaneChart& plane);

} // namespace curtis
