#pragma once

#include "chart/chart_plan.hpp"
#include "chart_tool/chart_formats.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace curtis {

// The space is P_a^b: cells from the bottom cell a = -weight to the top cell
// b, or upward without end when there is none.
struct ChartOptions {
    std::int32_t weight = 0;
    std::optional<std::int32_t> topCell;
    std::int32_t minDegree = 1;
    std::int32_t maxDegree = 0;
    const ChartFormat* format = &chartFormats().front();
    // svg: draw the pairings that change the cell by at least this much as
    // arrows; 0: none.
    int arrows = 0;
    // Only the Adams filtrations 0 .. F, which reach further in t.
    std::optional<int> maxFiltration;
    // Asked for by stems: the stems shown, the degrees above computed for them.
    std::optional<StemRange> stems;
    bool products = false;                       // the products by h_i of every survivor
    std::vector<int> productFactors{0, 1, 2, 3}; // the i of those h_i, increasing
    std::vector<SphereClassRef> multiply;        // the products by these classes
    bool cycles = false;                         // every survivor's cycle
    bool names = false;                          // every class named
    std::vector<std::string> massey;             // Massey products, each "A,B,C"
    bool periodicity = false;                    // P(x) of every class of the sphere
    bool sq0 = false;                            // Sq^0 of every class of the sphere
    bool h3Lines = false;                        // svg: draw the h3 products too
    bool uncut = false;                          // svg: towers whole
    bool texBody = false;                        // tex: the page alone
    ChartKind chart = ChartKind::Adams;          // svg, tex: which chart
    bool ehp = false;                            // the sphere: births and EHP pairs
    std::optional<int> unstable;                 // the sphere: the unstable chart of S^N
    bool transfer = false;   // P_0^b, P_1^b: the algebraic transfer to the sphere
    std::string output;      // empty: standard output
    std::string cache;       // a directory of tables' finished degrees; empty: none
    bool trustCache = false; // a cache shared on purpose
    int threads = 0;         // threads that eliminate; 0: one per processor
};

enum class ParseOutcome {
    Run,   // options holds what to compute
    Help,  // the help text has been written to out
    Error, // a one-line message has been written to err
};

// Reads curtis-chart's command line. The space is given by exactly one of
// --weight W, --bottom-cell A (the same as --weight -A) and --sphere (P_0^0),
// and --top-cell B with either of the first two.
ParseOutcome parseChartOptions(int argc, const char* const* argv, ChartOptions& options,
                               std::FILE* out, std::FILE* err);

// The plan of the chart the options ask for.
ChartPlan planOf(const ChartOptions& options);

} // namespace curtis
