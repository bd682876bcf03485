// The label placer's promise, on scenes of random dots, lines and labels:
// no placed label overlaps another label or a dot, none is crossed by a
// line, each lies in the region and beside its own dot.
#include "picture/label_placement.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace curtis {
namespace {

// Whether the segment passes through the box, by points along it.
bool sampledCrossing(const Segment& s, const Box& box) {
    for (int i = 0; i <= 400; ++i) {
        const double x = s.x1 + (s.x2 - s.x1) * i / 400.0;
        const double y = s.y1 + (s.y2 - s.y1) * i / 400.0;
        if (x > box.left + 1e-6 && x < box.right - 1e-6 && y > box.top + 1e-6 &&
            y < box.bottom - 1e-6) {
            return true;
        }
    }
    return false;
}

TEST(LabelPlacement, PlacedLabelsOverlapNothing) {
    for (const int count : {20, 100, 300}) {
        std::mt19937 random(static_cast<unsigned>(count));
        std::uniform_real_distribution<double> x(0, 800);
        std::uniform_real_distribution<double> y(0, 500);
        const Box region{-20, -20, 820, 520};
        LabelPlacer placer(region);
        std::vector<LabelRequest> labels;
        std::vector<Segment> lines;
        for (int i = 0; i < count; ++i) {
            const std::string text(static_cast<std::size_t>(1 + i % 12), 'h');
            labels.push_back({x(random), y(random), 3.5, textWidth(text, 8), 8});
            placer.addDot(labels.back().x, labels.back().y, 3.5);
        }
        for (std::size_t i = 0; i + 1 < labels.size(); i += 2) {
            lines.push_back({labels[i].x, labels[i].y, labels[i + 1].x, labels[i + 1].y});
            placer.addSegment(lines.back());
        }
        const std::vector<std::optional<LabelSpot>> spots = placer.place(labels);
        std::vector<Box> placed;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            if (spots[i]) {
                const Box box = textBox(spots[i]->x, spots[i]->y, labels[i].width, 8);
                EXPECT_TRUE(box.within(region));
                EXPECT_LT(std::hypot(spots[i]->x - labels[i].x, spots[i]->y - labels[i].y),
                          labels[i].width + 40);
                for (const LabelRequest& dot : labels) {
                    EXPECT_FALSE(
                        box.overlaps({dot.x - 3.5, dot.y - 3.5, dot.x + 3.5, dot.y + 3.5}));
                }
                for (const Segment& line : lines) {
                    EXPECT_FALSE(sampledCrossing(line, box));
                }
                for (const Box& other : placed) {
                    EXPECT_FALSE(box.overlaps(other));
                }
                placed.push_back(box);
            }
        }
        EXPECT_GT(placed.size(), labels.size() / 4) << count; // a dense scene places fewer
    }
}

} // namespace
} // namespace curtis
