#pragma once

#include "chart/space_name.hpp"
#include "table/computation.hpp"

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

// A line of a level: a survivor, or an arrow (a pairing that changes the
// cell: source's elimination ended on word). In an unstable chart a class
// that the stable table pairs off above the sphere is a survivor with its
// source: the class that kills it on a larger sphere.
struct PrintedLine {
    PrintedMonomial word;
    PrintedMonomial source; // the generator whose elimination ended on word; empty for a survivor
    bool arrow = false;
};

// A pairing of the sphere's table whose first lambda index changes, read as
// the algebraic EHP sequence: the class target is born on S^born (its first
// index + 1) and dies on S^dies, killed by source.
struct PrintedEhp {
    PrintedMonomial target;
    PrintedMonomial source;
    int born = 0;
    int dies = 0;
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
    // With births (the sphere's EHP reading): aligned with survivors, the
    // sphere each is born on; the pairings that change the first index; in
    // an unstable chart the sphere each class dies on, none for a class that
    // lives on every sphere.
    std::vector<int> born;
    std::vector<PrintedEhp> ehp;
    std::vector<std::optional<int>> dies;
    // With the transfer: aligned with survivors, the image of each in the
    // sphere, as the indices of the sphere's survivors of level s + 1 in
    // total degree t + 1 + a (the chart's sphere) whose sum it is.
    std::vector<std::vector<std::size_t>> transfer;
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
    // Only the Adams filtrations 0 .. maxFiltration were computed.
    std::optional<int> maxFiltration;
    // The sphere read as the EHP sequence: births and EHP pairs.
    bool hasEhp = false;
    // The unstable chart of S^N, read off the sphere's table.
    std::optional<int> unstable;
    // The algebraic transfer to the sphere, whose levels (of total degrees
    // t + 1 + a) hold the images' survivors.
    bool hasTransfer = false;
    std::vector<PrintedDegree> sphere;

    bool hasBirths() const { return hasEhp || unstable.has_value(); }

    // Level s of total degree t, if the chart has it.
    const PrintedLevel* level(std::int32_t t, int s) const;
    // The monomials of the transfer's image of survivor j of level s in total
    // degree t, as the sphere's chart prints them.
    std::vector<const PrintedMonomial*> transferImage(std::int32_t t, const PrintedLevel& level,
                                                      std::size_t j) const;
};

// The name of what the chart shows: the space (see spaceName), or
// "S^N (unstable)".
std::string chartName(const PrintedChart& chart, Script script = Script::Unicode);

// A stored word of `length` entries as printed, the cell index restored.
PrintedMonomial printMonomial(const Entry* entries, int length, std::int32_t w);

// A monomial as text: its printed entries separated by single blanks.
std::string monomialText(const PrintedMonomial& monomial);

// The printed form of a finished level.
PrintedLevel printLevel(const FinishedLevel& level);

} // namespace curtis
