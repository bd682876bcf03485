#include "oracle/degree.hpp"

#include <algorithm>
#include <vector>

namespace curtis::oracle {

namespace {

// The offset of the top cell from the bottom cell; cells beyond t - 1 are
// never reached.
int topOffset(int t, std::int32_t w, std::optional<std::int32_t> topCell) {
    return topCell ? static_cast<int>(std::clamp<std::int64_t>(std::int64_t{*topCell} + w, 0, t))
                   : noTopCell;
}

} // namespace

Degree::Degree(int t, std::int32_t w, std::optional<std::int32_t> topCell, std::optional<int> band)
    : t_(t), w_(w), finalLevels_(band ? std::min(*band + 1, t) : t),
      basis_(std::make_unique<BasisPositions>(t, topOffset(t, w, topCell),
                                              band ? std::min(*band + 1, t - 1) : t - 1)) {
    std::vector<std::int64_t> capacities;
    for (int L = 0; L < basis_->levels(); ++L) {
        capacities.push_back(basis_->levelSize(L));
    }
    tables_.allocate(*basis_, capacities, true);
    TermSet set;
    set.allocate(TermSet::maxRowLimit, t + 1);
    tables_.open(0);
    for (int k = 0; k + 1 < basis_->levels() && k < finalLevels_; ++k) {
        tables_.open(k + 1);
        status_ = eliminateLevel(tables_.table(k), tables_.table(k + 1), w, set);
        if (status_ != EliminationStatus::Ok) {
            return;
        }
    }
}

} // namespace curtis::oracle
