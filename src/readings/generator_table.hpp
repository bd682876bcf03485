#pragma once

#include <span>

namespace curtis {

// A generator of the ring Ext over the Steenrod algebra (the E2 page of the
// Adams spectral sequence of the sphere) as the literature names it.
struct KnownGenerator {
    int stem = 0;
    int filtration = 0;
    const char* name = "";
};

// The literature's algebra generators by stem and filtration, each
// bidegree's in the order the literature lists them, through
// stem 45.
std::span<const KnownGenerator> knownGenerators();

// The last stem through which the table is whole; past it, it names some
// generators (u, f1, c2, v, g2, w, ...) and leaves others to be named by
// their place.
inline constexpr int knownGeneratorsThroughStem = 38;

} // namespace curtis
