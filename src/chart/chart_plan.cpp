#include "chart/chart_plan.hpp"

namespace curtis {

namespace {

constexpr std::int32_t productShiftsByH[] = {1, 2, 4, 8};

} // namespace

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

std::span<const std::int32_t> ChartPlan::productShifts() const {
    return readings.products ? std::span<const std::int32_t>(productShiftsByH)
                             : std::span<const std::int32_t>();
}

bool ChartPlan::productShown(std::int32_t t, int i) const {
    return t + productShiftsByH[i] <= degrees.last;
}

} // namespace curtis
