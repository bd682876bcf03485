#include "readings/wider_band.hpp"

#include "chart/space.hpp"

#include <algorithm>

namespace curtis {

WiderBand::WiderBand(const Computation& band, ComputationSettings settings)
    : store_(settings.store), twoWiderStore_(settings.store) {
    const std::optional<int> sphereBand = band.sphere().band().maxFiltration;
    if (!sphereBand) {
        return;
    }
    settings.sphereExtraFiltrations = 0;
    settings.topCell = Space::sphere().topCell();
    const auto wider = [&](NarrowerBands& store, int by) {
        settings.maxFiltration = std::min(*sphereBand + by, maxFiltrationBound);
        settings.store = &store;
        return std::make_unique<Computation>(0, settings);
    };
    store_.add(band.sphere());
    wider_ = wider(store_, 1);
    if (*sphereBand + 1 < maxFiltrationBound) {
        twoWiderStore_.add(band.sphere());
        twoWiderStore_.add(wider_->sphere());
        twoWider_ = wider(twoWiderStore_, 2);
    }
}

} // namespace curtis
