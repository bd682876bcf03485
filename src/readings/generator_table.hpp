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
// knownGeneratorsThroughStem.
std::span<const KnownGenerator> knownGenerators();

// The last stem the table covers whole.
inline constexpr int knownGeneratorsThroughStem = 45;

} // namespace curtis
