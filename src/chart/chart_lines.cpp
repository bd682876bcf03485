#include "chart/chart_lines.hpp"

#include <algorithm>

namespace curtis {

ChartSurvivors::ChartSurvivors(const LevelRecords& level) {
    const std::vector<std::int32_t>& order = level.increasing();
    for (auto i = order.rbegin(); i != order.rend(); ++i) {
        if (level.state(*i) == Alive) {
            byRecord_.emplace_back(*i, records_.size());
            records_.push_back(*i);
        }
    }
    std::sort(byRecord_.begin(), byRecord_.end());
}

bool ChartSurvivors::holds(std::int32_t record) const {
    const auto found = std::lower_bound(byRecord_.begin(), byRecord_.end(),
                                        std::pair<std::int32_t, std::size_t>{record, 0});
    return found != byRecord_.end() && found->first == record;
}

std::size_t ChartSurvivors::place(std::int32_t record) const {
    const auto found = std::lower_bound(byRecord_.begin(), byRecord_.end(),
                                        std::pair<std::int32_t, std::size_t>{record, 0});
    const bool survivor = found != byRecord_.end() && found->first == record;
    CURTIS_INVARIANT(survivor, "a survivor's record");
    return survivor ? found->second : size(); // past the classes, which the chart's check finds
}

std::vector<std::size_t> ChartSurvivors::places(const std::vector<std::int32_t>& records) const {
    std::vector<std::size_t> found;
    found.reserve(records.size());
    for (const std::int32_t record : records) {
        found.push_back(place(record));
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace curtis
