#pragma once

#include "chart/bidegree.hpp"
#include "chart/chart_map.hpp"
#include "chart/class_ref.hpp"
#include "chart/space.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace curtis {

// The total degrees t of a chart, from first to last.
struct DegreeRange {
    std::int32_t first = 1;
    std::int32_t last = 0;
};

// The stems a chart shows, from first to last: asked for as a range of
// stems rather than of total degrees.
struct StemRange {
    int first = 0;
    int last = 0;
};

// The products by h0 .. h5 there can be: h_i is λ(2^i - 1).
inline constexpr int productFactorCount = 6;

// What a chart reads off its tables beside its classes and arrows.
struct Readings {
    bool products = false;       // the products by the h_i of productFactors of every class
    bool ehp = false;            // the sphere: births and EHP pairs
    std::optional<int> unstable; // the sphere: the unstable chart of S^N
    bool transfer = false;       // P_0^b, P_1^b: the images in the sphere
    // With products: the i of the factors h_i, increasing.
    std::vector<int> productFactors{0, 1, 2, 3};
    // The products of every class by these classes of the sphere.
    std::vector<SphereClassRef> multiply;
    bool cycles = false; // every survivor's cycle
    bool names = false;  // every class named by the sphere's generators
    // The Massey products <A, B, C> of the sphere asked for, each "A,B,C".
    std::vector<std::string> massey;
    bool periodicity = false; // P(x) = <h3, h0^4, x> of every class of the sphere
    bool sq0 = false;         // Sq^0 of every class of the sphere
    // The image of every class under each of these maps (--map), in order.
    std::vector<ChartMap> maps;
    // The sphere: the root invariant of every class, read off P_{-N} with
    // this N (--root-invariant).
    std::optional<std::int32_t> rootInvariant;

    // Every class carries the sphere it is born on.
    bool births() const { return ehp || unstable.has_value(); }
    // Whether the sphere's generators are read.
    bool namesClasses() const { return names || !massey.empty() || periodicity; }
    // Whether the products by h_i are read.
    bool productBy(int i) const;
};

// Which chart a picture draws: the Adams chart, or the sphere's algebraic
// EHP spectral sequence (y the sphere of birth), or P_A^B's algebraic
// Atiyah-Hirzebruch spectral sequence (y the cell).
enum class ChartKind { Adams, Ehp, Cells };

// What a picture draws beyond the data.
struct Drawing {
    // Pairings that change the cell by at least this much are drawn as
    // arrows; 0 draws none.
    int arrowsFromCellDifference = 0;
    bool h3Lines = false; // with products: the h3 lines too
    bool uncut = false;   // towers whole: every filtration drawn
    bool texBody = false; // tex: the page alone, without a document around it
    ChartKind chart = ChartKind::Adams;
};

// A chart to make: the one place where the command line becomes what is
// computed, kept, read off and written.
struct ChartPlan {
    Space space = Space::sphere();
    DegreeRange degrees;
    std::optional<int> band; // only the Adams filtrations 0 .. band
    // Only these stems are shown, of the degrees computed for them.
    std::optional<StemRange> stems;
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

    // Whether the chart shows a level of this bidegree.
    bool shows(const Bidegree& at) const {
        return !stems || (at.stem() >= stems->first && at.stem() <= stems->last);
    }
    // Whether product i of degree t lands within the chart.
    bool productShown(std::int32_t t, int i) const;
};

} // namespace curtis
