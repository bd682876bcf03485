#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace curtis {

// The bytes of data/adams-classical-e2.tsv, which the program carries.
const char* literatureChartText();

// A class of the literature's chart of the sphere's classical Adams E2: its
// key (its name, "h1 d0"), where it stands and its LaTeX label.
struct LiteratureClass {
    std::string key;
    int stem = 0;
    int filtration = 0;
    int position = 0; // the order the literature draws a bidegree's dots in; 0: none given
    std::string label;
};

// A line of the chart: the product of `source` by h_factor (0, 1 or 2) has
// `target` among its terms. Indices into LiteratureChart::classes.
struct LiteratureLine {
    std::size_t source = 0;
    std::size_t target = 0;
    int factor = 0;
};

// The literature's named basis of the sphere's Ext through stem 110
// (J. Beauvais-Feisthauer and D. C. Isaksen, SeqSee, MIT licence), with its
// lines for the products by h0, h1 and h2. In stem 0 the literature draws
// h0^3 with an arrow for the tower above it: the chart holds h0^k and its
// h0 line for every k >= 4 up to maxTowerFiltration.
struct LiteratureChart {
    static constexpr int lastStem = 110;
    static constexpr int maxTowerFiltration = 255;

    std::vector<LiteratureClass> classes; // in the literature's order
    std::vector<LiteratureLine> lines;
    std::vector<std::vector<std::size_t>> linesFrom; // each class's lines, by place in lines
    std::map<std::string, std::size_t> byKey;
    // The classes of each bidegree (stem, filtration), in the chart's order.
    std::map<std::pair<int, int>, std::vector<std::size_t>> at;

    const std::vector<std::size_t>& classesAt(int stem, int filtration) const;
};

// The chart the program carries, read once.
const LiteratureChart& literatureChart();

// How a name is read. A name is a sum of products, " + " between terms; a
// product is factors separated by blanks, each factor a generator's name
// with an optional power "^k". A prefix operator -- P, P^k, D, D^k (Δ), M,
// M^k -- belongs to the generator after it, and a power to the last word
// only: "P h1^2" is the generator "P h1" times h1. A name holding " . " is
// one generator as it stands, as are tokens with the literature's own
// punctuation ("x71,6", "(A+A')").
//
// The terms of a name, each the multiset of its factors' generator names,
// sorted; empty for a name with an empty term or a power below 1.
std::vector<std::vector<std::string>> nameTerms(const std::string& name);

// The generator's name a name is, if it is one generator; "" otherwise.
std::string generatorName(const std::string& name);

} // namespace curtis
