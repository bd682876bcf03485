#pragma once

#include "elimination/computation.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace curtis {

// A whole chart as curtis-chart writes it: for each total degree, each
// level's chart lines in the chart's order, monomials as printed (the true
// cell index first, then the lambda indices).
using PrintedMonomial = std::vector<std::int32_t>;

struct PrintedLine {
    PrintedMonomial word;
    PrintedMonomial source; // the generator whose elimination ended on word; empty for a survivor
    bool arrow = false;
};

// The products of one survivor by h0, h1, h2 and h3: each the survivors of
// the level above in total degree t + 2^i whose sum it is, as their indices
// among that level's survivors; nothing where that degree was not computed.
struct PrintedProducts {
    std::array<std::optional<std::vector<std::size_t>>, 4> terms;
};

struct PrintedLevel {
    int s = 0; // homological degree
    std::int32_t topologicalDegree = 0;
    std::int32_t coweight = 0; // the stem in the space itself, t - s - w
    std::vector<PrintedLine> lines;
    std::vector<std::size_t> survivors;    // the lines that are survivors, in order
    std::vector<PrintedProducts> products; // aligned with survivors, when asked for
};

struct PrintedDegree {
    std::int32_t t = 0;
    std::vector<PrintedLevel> levels;
};

struct PrintedChart {
    std::int32_t weight = 0;             // the bottom cell is -weight
    std::optional<std::int32_t> topCell; // none: the space is infinite
    std::vector<PrintedDegree> degrees;
    bool hasProducts = false;

    // Level s of total degree t, if the chart has it.
    const PrintedLevel* level(std::int32_t t, int s) const;
};

// A monomial as text: its printed entries separated by single blanks.
std::string monomialText(const PrintedMonomial& monomial);

// The printed form of a finished level.
PrintedLevel printLevel(const FinishedLevel& level);

} // namespace curtis
