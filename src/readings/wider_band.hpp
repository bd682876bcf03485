#pragma once

#include "table/computation.hpp"
#include "table/narrower_bands.hpp"

#include <memory>

namespace curtis {

// The sphere's table in the band one filtration wider than a computation's
// sphere, none of its degrees computed yet; none where that sphere is whole.
// It goes on from the computation's: a degree it is asked for takes the
// levels the band has of it, so only the level above those is eliminated.
// Built from the run's settings (threads, memory, store, progress); the
// computation must outlive it.
class WiderBand {
public:
    WiderBand(const Computation& band, ComputationSettings settings);
    WiderBand(const WiderBand&) = delete;
    WiderBand& operator=(const WiderBand&) = delete;

    // Null where the computation's sphere is whole.
    Computation* computation() const { return wider_.get(); }

private:
    // Declared before the computation, which uses it until it stops.
    NarrowerBands store_;
    std::unique_ptr<Computation> wider_;
};

} // namespace curtis
