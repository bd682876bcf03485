#include "chart_tool/cost_estimate.hpp"

#include "chart/vanishing_line.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>

namespace curtis {

namespace {

// A measured point of a curve: its abscissa and what was measured there.
struct Measured {
    double at;
    double value;
};

// Wall seconds of curtis-chart on two cores to total degree t (the
// tables of docs/performance.md where they have the run, else runs on a busy machine):
// whole charts, every filtration, and bands of filtrations 0 to 9.
constexpr Measured sphereWhole[] = {{44, 0.16}, {48, 0.2}, {52, 1.17}, {56, 5.19},
                                    {60, 25.5}, {64, 44},  {72, 140}};
constexpr Measured spaceWhole[] = {{44, 0.74}, {48, 1.53}, {52, 5.34}, {56, 17.3},
                                   {60, 24.5}, {64, 153},  {72, 623}};
constexpr Measured sphereBand[] = {{52, 0.36}, {56, 1.22}, {60, 1.89}, {64, 2.63}, {75, 26.8}};
constexpr Measured spaceBand[] = {{56, 5.75}, {60, 6.67}, {64, 11.0}, {71, 38.5}};
// Each filtration more than 9 in a band multiplies its time by this (the
// sphere to t = 60: 1.9 s in filtrations 0 to 9, 18.5 s to 13), each one
// fewer divides it, up to the whole chart's time.
constexpr double perFiltration = 1.8;
constexpr int measuredBand = 9;

// The curve's value at x, geometric between the measured points and
// continued at the growth of the two nearest beyond either end.
double interpolate(std::span<const Measured> curve, double x) {
    std::size_t i = 1;
    while (i + 1 < curve.size() && curve[i].at < x) {
        ++i;
    }
    const Measured& a = curve[i - 1];
    const Measured& b = curve[i];
    const double share = (x - a.at) / (b.at - a.at);
    return std::exp(std::log(a.value) + share * (std::log(b.value) - std::log(a.value)));
}

// A chart of total degrees to t, in the filtrations to `band` (none: all).
double chartSeconds(bool sphere, double t, std::optional<int> band) {
    const double whole = sphere ? interpolate(sphereWhole, t) : interpolate(spaceWhole, t);
    if (!band) {
        return whole;
    }
    const double banded = (sphere ? interpolate(sphereBand, t) : interpolate(spaceBand, t)) *
                          std::pow(perFiltration, *band - measuredBand);
    return std::min(whole, banded);
}

std::string duration(double seconds) {
    char text[64];
    if (seconds < 120) {
        std::snprintf(text, sizeof text, "%.0f s", std::round(seconds / 10) * 10);
    } else if (seconds < 7200) {
        std::snprintf(text, sizeof text, "%.0f min", std::round(seconds / 60));
    } else {
        std::snprintf(text, sizeof text, "%.0f h", std::round(seconds / 3600));
    }
    return text;
}

// Whether the band was set by Adams' vanishing line for a range of stems.
bool byVanishingLine(const ChartPlan& plan) {
    return plan.stems && plan.band && plan.space.singleCell() &&
           *plan.band == vanishingFiltration(plan.stems->last - plan.space.bottomCell());
}

// The range and why it is that: "stems to 45 in every filtration need t to
// 69, by Adams' vanishing line".
std::string rangeAndWhy(const ChartPlan& plan) {
    const std::string t = "t to " + std::to_string(plan.degrees.last);
    const std::string filtrations =
        plan.band ? "in filtrations 0 to " + std::to_string(*plan.band) : "in every filtration";
    std::string text;
    if (byVanishingLine(plan)) {
        text = "stems to " + std::to_string(plan.stems->last) + " in every filtration need " + t +
               ", by Adams' vanishing line";
    } else if (plan.stems) {
        text = "stems to " + std::to_string(plan.stems->last) + " " + filtrations + " need " + t;
    } else {
        text = t + " " + filtrations;
    }
    if (plan.readings.transfer) {
        text += ", and the transfer the sphere's t to " + std::to_string(plan.sphereDegrees().last);
    }
    return text;
}

} // namespace

double estimatedSeconds(const ChartPlan& plan) {
    double seconds = chartSeconds(plan.space.singleCell(), plan.degrees.last, plan.band);
    if (plan.readings.transfer) {
        seconds += chartSeconds(true, plan.sphereDegrees().last, plan.sphereBand());
    }
    return seconds;
}

std::string costLine(const ChartPlan& plan) {
    const double seconds = estimatedSeconds(plan);
    if (seconds <= announcedCost) {
        return "";
    }
    return "curtis-chart: " + rangeAndWhy(plan) + ": estimated " + duration(seconds) +
           " on two cores" + (plan.cache.empty() ? "" : ", less for what the cache holds");
}

} // namespace curtis
