#pragma once

#include <cstdint>

namespace curtis {

// Where a level of a chart sits, in the program's own degrees and in the
// Adams grading, each computed here only. Level s of total degree t of the
// space whose bottom cell is a holds classes of Ext^{s - 1, t'} with Adams
// filtration s - 1, stem t - s + a (the space's own stem, the sum of a
// word's printed entries) and internal degree t' = stem + filtration.
struct Bidegree {
    std::int32_t t = 0;          // the total degree
    int s = 0;                   // the homological degree
    std::int32_t bottomCell = 0; // a, the space's bottom cell

    // The level of a stem and filtration, of the space whose bottom cell is
    // a (the sphere's by default): s = filtration + 1, t = stem + s - a.
    static Bidegree atStem(std::int32_t stem, int filtration, std::int32_t bottomCell = 0) {
        Bidegree at;
        at.s = filtration + 1;
        at.t = stem + at.s - bottomCell;
        at.bottomCell = bottomCell;
        return at;
    }

    int k() const { return s - 1; } // the tables' index of the level
    std::int32_t topologicalDegree() const { return t - s; }
    std::int32_t stem() const { return t - s + bottomCell; }
    int filtration() const { return s - 1; }
    std::int32_t internalDegree() const { return stem() + filtration(); }
};

} // namespace curtis
