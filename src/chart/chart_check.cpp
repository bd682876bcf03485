#include "chart/chart_check.hpp"

namespace curtis {

namespace {

bool pointsInto(const std::vector<std::size_t>& terms, const PrintedLevel* level) {
    if (level == nullptr) {
        return false;
    }
    for (const std::size_t term : terms) {
        if (term >= level->classes.size()) {
            return false;
        }
    }
    return true;
}

bool soundClass(const PrintedChart& chart, const PrintedLevel& level, const ChartClass& c) {
    const Readings& readings = chart.plan.readings;
    if (c.word.empty() || (readings.births() && !c.born)) {
        return false;
    }
    if (readings.products) {
        if (!c.products) {
            return false;
        }
        for (int i = 0; i < productFactorCount; ++i) {
            const auto& terms = c.products->terms[static_cast<std::size_t>(i)];
            if (terms && !pointsInto(*terms, chart.productLevel(level, i))) {
                return false;
            }
        }
    }
    if (c.multiplied.size() != readings.multiply.size()) {
        return false;
    }
    for (std::size_t x = 0; x < c.multiplied.size(); ++x) {
        const PrintedSum& terms = c.multiplied[x];
        if (terms && !pointsInto(*terms, chart.productLevel(level, readings.multiply[x]))) {
            return false;
        }
    }
    if (readings.transfer) {
        const std::int32_t t = chart.plan.space.transferDegree(level.at.t);
        if (!c.transfer || !pointsInto(*c.transfer, chart.sphereLevel(t, level.at.s + 1))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<std::int32_t> firstUnsoundDegree(const PrintedChart& chart) {
    for (const PrintedDegree& degree : chart.degrees) {
        for (std::size_t i = 0; i < degree.levels.size(); ++i) {
            const PrintedLevel& level = degree.levels[i];
            bool sound = level.at.t == degree.t && level.at.s == static_cast<int>(i) + 1;
            for (const ChartClass& c : level.classes) {
                sound = sound && soundClass(chart, level, c);
            }
            if (!sound) {
                return degree.t;
            }
        }
    }
    return std::nullopt;
}

} // namespace curtis
