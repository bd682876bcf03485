#include "picture/picture_layout.hpp"

#include "chart/bidegree.hpp"

#include <algorithm>

namespace curtis {

PictureLayout::PictureLayout(const PrintedChart& chart, bool cutTowers)
    : firstStem_(chart.plan.space.bottomCell()), bottomCell_(chart.plan.space.bottomCell()) {
    minDegree_ = chart.degrees.empty() ? 0 : chart.degrees.front().t;
    maxDegree_ = chart.degrees.empty() ? 1 : chart.degrees.back().t;
    maxFiltration_ = chart.plan.band.value_or(maxDegree_);
    // In total degree t the stems run from a (level t - 1) to a + t - 1
    // (level 0), the filtrations from 0 to t - 1; a band is as tall as its
    // filtrations, and a chart of stems as wide as its stems.
    stems_ = std::max(maxDegree_, 2);
    filtrations_ = std::max(std::min(maxDegree_, maxFiltration_ + 1), 2);
    if (chart.plan.stems) {
        firstStem_ = chart.plan.stems->first;
        stems_ = std::max(chart.plan.stems->last - chart.plan.stems->first + 1, 2);
        firstShown_ = chart.plan.stems->first;
        lastShown_ = chart.plan.stems->last;
    }
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            for (const ChartClass& c : level.classes) {
                cells_.insert(c.word.front());
            }
        }
    }
    findTowerCut(chart);
    if (cutTowers && towerCut_) {
        cut_ = true;
        filtrations_ = *towerCut_ + 1;
    }
    // P_A^B's classes lie far below the top of its computed degrees: the
    // picture ends two rows above the highest of them.
    if (!chart.plan.space.singleCell() && !towerCut_) {
        int highest = 0;
        for (const PrintedDegree& degree : chart.degrees) {
            for (const PrintedLevel& level : degree.levels) {
                if (!level.classes.empty() && chart.plan.shows(level.at)) {
                    highest = std::max(highest, level.at.filtration());
                }
            }
        }
        filtrations_ = std::min(filtrations_, std::max(highest + 3, 2));
    }
    space_ = chart.plan.name();
    title_ = "Curtis chart of " + space_ +
             (chart.plan.stems
                  ? ", stems " + std::to_string(firstShown_) + " to " + std::to_string(lastShown_)
                  : ", total degrees " + std::to_string(minDegree_) + " to " +
                        std::to_string(maxDegree_));
}

void PictureLayout::findTowerCut(const PrintedChart& chart) {
    std::set<std::pair<std::int32_t, int>> occupied; // (stem, filtration)
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            if (!level.classes.empty() && chart.plan.shows(level.at)) {
                occupied.insert({level.at.stem(), level.at.filtration()});
            }
        }
    }
    std::set<std::pair<std::int32_t, int>> towers;
    for (int dx = 0; dx < stems_; ++dx) {
        const std::int32_t stem = firstStem_ + dx;
        // A tower reaches the top row of the picture.
        const int topRow = filtrations_ - 1;
        if (!computed(dx, topRow)) {
            continue;
        }
        int below = topRow;
        while (below >= 0 && occupied.count({stem, below}) > 0) {
            --below;
        }
        if (topRow - below >= 3) {
            towerStems_.insert(stem);
            for (int f = below + 1; f <= topRow; ++f) {
                towers.insert({stem, f});
            }
        }
    }
    int highest = 0;
    for (const auto& bidegree : occupied) {
        if (towers.count(bidegree) == 0) {
            highest = std::max(highest, bidegree.second);
        }
    }
    if (!towerStems_.empty() && highest + 2 < filtrations_ - 1) {
        towerCut_ = highest + 2;
    } else {
        towerStems_.clear();
    }
}

bool PictureLayout::computed(int dx, int filtration) const {
    const int stem = firstStem_ + dx;
    const std::int32_t t = Bidegree::atStem(stem, filtration, bottomCell_).t;
    return t >= minDegree_ && t <= maxDegree_ && filtration <= maxFiltration_ &&
           (firstShown_ > lastShown_ || (stem >= firstShown_ && stem <= lastShown_));
}

PictureLayout::Point PictureLayout::dot(const PrintedLevel& level, std::size_t j) const {
    return gridDot(level.at, level.classes.size(), j);
}

bool PictureLayout::literaturePlaces(const PrintedLevel& level) {
    // Three places at most (-2, 0, 2) fit within the bidegree's square.
    std::set<int> places;
    for (const PrintedBasisClass& b : level.basis) {
        if (!b.position || *b.position < -2 || *b.position > 2 ||
            !places.insert(*b.position).second) {
            return false;
        }
    }
    return places.size() >= 2;
}

PictureLayout::Point PictureLayout::basisDot(const PrintedLevel& level, std::size_t b) const {
    if (!literaturePlaces(level)) {
        return gridDot(level.at, level.basis.size(), b);
    }
    return {x(level.at.stem()) + *level.basis[b].position * dotSpacing / 2,
            y(level.at.filtration())};
}

PictureLayout::Point PictureLayout::gridDot(const Bidegree& at, std::size_t count,
                                            std::size_t j) const {
    const int n = std::max(1, static_cast<int>(count));
    const int i = static_cast<int>(j);
    const int rows = (n + dotsPerRow - 1) / dotsPerRow;
    const int perRow = (n + rows - 1) / rows;
    const int row = i / perRow;
    const int inRow = std::min(perRow, n - row * perRow);
    return {x(at.stem()) + (i % perRow - (inRow - 1) / 2.0) * dotSpacing,
            y(at.filtration()) + (row - (rows - 1) / 2.0) * dotSpacing};
}

} // namespace curtis
