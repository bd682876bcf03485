#pragma once

#include "chart/printed_chart.hpp"

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace curtis {

// Where everything of an Adams chart goes: x the stem in the space itself,
// t - s - w, from the bottom cell (the least stem any level reaches); y the
// Adams filtration s - 1. A bidegree (stem, filtration) belongs to exactly
// one total degree, so the survivors drawn there are those of one level,
// side by side in the chart's order, as the literature draws them: one row
// of up to dotsPerRow, else rows as even as can be, within the bidegree's
// square. Shared by every
// front end that draws the chart, so that they never disagree.
class PictureLayout {
public:
    // Pixels per degree, the margins around the grid, the dots.
    static constexpr double unit = 40;
    static constexpr double left = 56;
    static constexpr double top = 48;
    static constexpr double bottom = 64;
    static constexpr double legendWidth = 230;
    static constexpr double dotRadius = 3.5;
    static constexpr double dotSpacing = 10;
    static constexpr int dotsPerRow = 4;

    struct Point {
        double x;
        double y;
    };

    // cutTowers: the picture ends at the tower cut, if there is one; else it
    // holds every filtration and only names the cut (for the page, whose
    // reader moves it).
    explicit PictureLayout(const PrintedChart& chart, bool cutTowers = true);

    std::int32_t firstStem() const { return firstStem_; }
    int stems() const { return stems_; }
    int filtrations() const { return filtrations_; }
    std::int32_t minDegree() const { return minDegree_; }
    std::int32_t maxDegree() const { return maxDegree_; }
    // Axis labels every labelStep degrees: every one where the numbers fit.
    int labelStep() const { return stems_ > 100 ? 4 : stems_ > 50 ? 2 : 1; }

    double x(double stem) const { return left + (stem - firstStem_) * unit; }
    double y(double filtration) const { return top + (filtrations_ - 1 - filtration) * unit; }
    double width() const { return left + (stems_ - 1) * unit + 32 + legendWidth; }
    double height() const { return top + (filtrations_ - 1) * unit + bottom; }
    double legendX() const { return left + (stems_ - 1) * unit + 40; }

    // Whether the bidegree (the stem firstStem() + dx, filtration) lies in a
    // computed total degree, and within the band of filtrations if there is
    // one.
    bool computed(int dx, int filtration) const;

    // The centre of survivor j of a level.
    Point dot(const PrintedLevel& level, std::size_t j) const;
    // The centre of element b of a level's named basis: in one row at the
    // literature's positions where it gives each of them a place of its own
    // (position p lies p half spacings right of the middle), else as
    // survivors are placed.
    Point basisDot(const PrintedLevel& level, std::size_t b) const;
    // Whether a level's named basis stands at the literature's positions.
    static bool literaturePlaces(const PrintedLevel& level);

    // The cells of the survivors, in increasing order.
    const std::set<std::int32_t>& cells() const { return cells_; }
    // Every survivor has the same cell: cell labels and colours say nothing.
    bool oneCell() const { return cells_.size() <= 1; }

    // Where towers are cut: the highest filtration of any class that is not
    // part of a tower (a run of at least three classes up a stem to the
    // top row of the picture) plus two; none when every class fits
    // below it. The stems of the towers it cuts.
    std::optional<int> towerCut() const { return towerCut_; }
    const std::set<std::int32_t>& towerStems() const { return towerStems_; }
    // Whether a level's dots are drawn: below the cut, where the picture is cut.
    bool drawn(const Bidegree& at) const { return !cut_ || at.filtration() <= *towerCut_; }

    // "Curtis chart of SPACE, total degrees T0 to T" (or "stems M to N").
    const std::string& title() const { return title_; }
    const std::string& space() const { return space_; }

private:
    std::int32_t firstStem_;
    std::int32_t bottomCell_;
    // The stems shown, in a chart asked for by stems (else none: first > last).
    std::int32_t firstShown_ = 1;
    std::int32_t lastShown_ = 0;
    int stems_;
    int filtrations_;
    std::int32_t minDegree_;
    std::int32_t maxDegree_;
    int maxFiltration_;
    std::set<std::int32_t> cells_;
    std::optional<int> towerCut_;
    std::set<std::int32_t> towerStems_;
    bool cut_ = false; // the picture ends at the cut

    void findTowerCut(const PrintedChart& chart);
    // The centre of the j-th of count dots in a bidegree: as few rows as
    // hold dotsPerRow each, as even as can be, each centred.
    Point gridDot(const Bidegree& at, std::size_t count, std::size_t j) const;
    std::string space_;
    std::string title_;
};

// With names, the sphere's stable chart is drawn in its named basis: a dot
// per named class, lines to the terms of its products in that basis. Every
// other chart draws its survivors.
inline bool drawsNamedBasis(const PrintedChart& chart) {
    return chart.plan.readings.names && chart.plan.space.isSphere() &&
           !chart.plan.readings.unstable;
}

} // namespace curtis
