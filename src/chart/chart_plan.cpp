#include "chart/chart_plan.hpp"

#include <algorithm>

namespace curtis {

bool Readings::productBy(int i) const {
    return products &&
           std::find(productFactors.begin(), productFactors.end(), i) != productFactors.end();
}

std::string ChartPlan::name(Script script) const {
    if (readings.unstable) {
        return spaceName(*readings.unstable, *readings.unstable, script) + " (unstable)";
    }
    return space.name(script);
}

std::optional<int> ChartPlan::sphereBand() const {
    return band ? std::optional<int>(*band + 1) : std::nullopt;
}

DegreeRange ChartPlan::sphereDegrees() const {
    return DegreeRange{space.transferDegree(degrees.first), space.transferDegree(degrees.last)};
}

bool ChartPlan::productShown(std::int32_t t, int i) const {
    return t + (std::int32_t{1} << i) <= degrees.last;
}

} // namespace curtis
