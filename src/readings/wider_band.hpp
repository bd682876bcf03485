#pragma once

#include "table/computation.hpp"
#include "table/narrower_bands.hpp"

#include <memory>

namespace curtis {

// The sphere's tables in the bands one and two filtrations wider than a
// computation's sphere, none of their degrees computed yet; none where that
// sphere is whole. Each goes on from the narrower ones: a degree it is
// asked for takes the levels the widest narrower table has of it, so only
// the level above those is eliminated. The band two wider reads the band
// one wider, so that band is idle, and final through the degrees asked
// for, while it computes. Built from the run's settings (threads, memory,
// store, progress); the computation must outlive it.
class WiderBand {
public:
    WiderBand(const Computation& band, ComputationSettings settings);
    WiderBand(const WiderBand&) = delete;
    WiderBand& operator=(const WiderBand&) = delete;

    // Null where the computation's sphere is whole.
    Computation* computation() const { return wider_.get(); }
    Computation* twoWider() const { return twoWider_.get(); }

private:
    // Each store is declared before the computation that uses it until it
    // stops, and the band two wider after the band it reads.
    NarrowerBands store_;
    std::unique_ptr<Computation> wider_;
    NarrowerBands twoWiderStore_;
    std::unique_ptr<Computation> twoWider_;
};

} // namespace curtis
