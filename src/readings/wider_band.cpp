#include "readings/wider_band.hpp"

#include "chart/space.hpp"

#include <algorithm>

namespace curtis {

WiderBand::WiderBand(const Computation& band, ComputationSettings settings)
    : store_(settings.store) {
    const std::optional<int> sphereBand = band.sphere().band().maxFiltration;
    if (!sphereBand) {
        return;
    }
    store_.add(band.sphere());
    settings.maxFiltration = std::min(*sphereBand + 1, maxFiltrationBound);
    settings.sphereExtraFiltrations = 0;
    settings.topCell = Space::sphere().topCell();
    settings.store = &store_;
    wider_ = std::make_unique<Computation>(0, settings);
}

} // namespace curtis
