#pragma once

#include "chart/printed_chart.hpp"
#include "picture/label_placement.hpp"
#include "picture/label_table.hpp"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
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
    std::string monomial;      // as the chart writes it, the cell first
    std::optional<int> diesOn; // an EHP target: the sphere it dies on
};

struct PlaneArrow {
    std::size_t from = 0; // the source's dot
    std::size_t to = 0;   // the target's dot
};

// An entry of a plane's legend: its mark and its lines of text.
struct PlaneLegendEntry {
    enum class Mark { Dot, Ring, Arrow } mark = Mark::Dot;
    std::vector<std::string> lines;
};

struct PlaneChart {
    std::string title;
    std::string yName;
    std::vector<PlaneLegendEntry> legend;
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

// Where the plane's dots go: a grid whose unit grows to hold the fullest
// place, the dots of one place in a small square of their own; and where
// their labels go.
struct PlaneLayout {
    static constexpr double left = 64;
    static constexpr double top = 48;
    static constexpr double legendWidth = 250;

    explicit PlaneLayout(const PlaneChart& plane);

    int columns = 1;
    int rows = 1;
    double unit = 28;
    double radius = 4;
    double width = 0; // of the grid, its numbers and the legend, without the title
    double height = 0;
    std::vector<std::pair<double, double>> centres; // per dot
    // Per dot, where its label and, for a class that dies, its "\u2020M" went,
    // clear of every dot, arrow and other label; the labels with no room,
    // in a table under the grid (the height counts it).
    std::vector<std::optional<LabelSpot>> labels;
    std::vector<std::optional<LabelSpot>> deaths;
    LabelTable unplaced;

private:
    void placeLabels(const PlaneChart& plane);
};

// The plane's grid, pairings and dots, each dot marked with its number
// (data-dot) and each pairing with its ends' (data-from, data-to); the
// stems and the y values too with `numbers`.
void writePlaneParts(std::FILE* out, const PlaneChart& plane, const PlaneLayout& layout,
                     bool numbers);
// The plane as an SVG document.
void writePlaneSvg(std::FILE* out, const PlaneChart& plane);
// The plane's dots and pairings as JSON, for the page: {"title", "y_name",
// "dots": [{"x", "y", "label", "title", "monomial", "dies_on"}], "arrows":
// [[from, to]]}.
void writePlaneJson(std::FILE* out, const PlaneChart& plane);

} // namespace curtis
