#pragma once

#include "chart/space.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace curtis {

// The total degrees t of a chart, from first to last.
struct DegreeRange {
    std::int32_t first = 1;
    std::int32_t last = 0;
};

// What a chart reads off its tables beside its classes and arrows.
struct Readings {
    bool products = false;       // the products by h0 to h3 of every class
    bool ehp = false;            // the sphere: births and EHP pairs
    std::optional<int> unstable; // the sphere: the unstable chart of S^N
    bool transfer = false;       // P_0^b, P_1^b: the images in the sphere

    // Every class carries the sphere it is born on.
    bool births() const { return ehp || unstable.has_value(); }
    // Read off the tables once the chart's degrees are done.
    bool afterDegrees() const { return products || transfer; }
};

// What a picture draws beyond the data.
struct Drawing {
    // Pairings that change the cell by at least this much are drawn as
    // arrows; 0 draws none.
    int arrowsFromCellDifference = 0;
    bool h3Lines = false; // with products: the h3 lines too
};

// A chart to make: the one place where the command line becomes what is
// computed, kept, read off and written.
struct ChartPlan {
    Space space = Space::sphere();
    DegreeRange degrees;
    std::optional<int> band; // only the Adams filtrations 0 .. band
    Readings readings;
    Drawing drawing;
    std::string format;      // the name of the output format
    std::string output;      // empty: standard output
    std::string cache;       // a directory of tables' finished degrees; empty: none
    bool trustCache = false; // trust a cache that other users own or may write
    int threads = 1;         // threads that eliminate

    // The name of what the chart shows: the space, or "S^N (unstable)".
    std::string name(Script script = Script::Unicode) const;

    // The transfer lands in the sphere, one filtration higher: the sphere's
    // band and its degrees, t + 1 + a of the chart's.
    std::optional<int> sphereBand() const;
    DegreeRange sphereDegrees() const;

    // The total degrees t + 2^i that the products of degree t by h0 .. h3
    // land in: none without products.
    std::span<const std::int32_t> productShifts() const;
    // Whether product i of degree t lands within the chart.
    bool productShown(std::int32_t t, int i) const;
};

} // namespace curtis
