#include "chart/chart_plan.hpp"

#include <gtest/gtest.h>

namespace curtis {
namespace {

// The gradings of a level, for spaces of every kind: the stem is the sum of
// a word's printed entries (the cell a, then lambda indices summing to
// t - s for the words of level s), and a class of Ext^{f, t'} has
// t' = stem + f.
TEST(Bidegree, TheGradingsOfALevelAgreeForEverySpace) {
    const struct {
        Space space;
        std::int32_t t;
        int s;
        std::int32_t stem;
    } cases[] = {
        {Space::sphere(), 1, 1, 0},        {Space::sphere(), 16, 4, 12},
        {Space(1, std::nullopt), 8, 3, 6}, {Space(-3, 5), 10, 2, 5},
        {Space(-10, -4), 26, 7, 9},        {Space(1000000000, std::nullopt), 3, 1, 1000000002},
    };
    for (const auto& c : cases) {
        const Bidegree at = c.space.bidegree(c.t, c.s);
        EXPECT_EQ(at.stem(), c.stem) << c.space.name();
        EXPECT_EQ(at.topologicalDegree(), c.stem - c.space.bottomCell());
        EXPECT_EQ(at.filtration(), c.s - 1);
        EXPECT_EQ(at.k(), c.s - 1);
        EXPECT_EQ(at.internalDegree(), at.stem() + at.filtration());
        // The transfer keeps the stem and raises the filtration by one.
        const Bidegree image = Space::sphere().bidegree(c.space.transferDegree(c.t), c.s + 1);
        EXPECT_EQ(image.stem(), at.stem());
        EXPECT_EQ(image.filtration(), at.filtration() + 1);
    }
    EXPECT_TRUE(Space::sphere().singleCell());
    EXPECT_TRUE(Space(4, 4).singleCell());
    EXPECT_FALSE(Space(4, std::nullopt).singleCell());
    EXPECT_FALSE(Space(4, 5).singleCell());
}

// Which cached degrees a run with products may take: none whose tables a
// computed degree reads a product off (t - 1, 2, 4, 8 computed), and none
// whose kept products stop short of what this run shows.
TEST(ChartPlan, TakesACachedDegreeOnlyWhenItsProductsAreComplete) {
    ChartPlan plan;
    plan.degrees = DegreeRange{1, 20};
    plan.readings.products = true;
    const std::set<std::int32_t> computed = {12};
    const struct {
        std::int32_t t;
        std::int32_t productsThrough;
        bool may;
        bool complete;
    } cases[] = {
        {13, 20, false, true}, {14, 20, false, true}, {16, 20, false, true},  {20, 0, false, true},
        {11, 20, true, true},  {10, 20, true, true},  {15, 20, true, true},   {12, 20, true, true},
        {10, 18, true, true},  {10, 17, true, false}, {16, 19, false, false}, {19, 0, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plan.mayTakeCached(c.t, computed), c.may) << c.t;
        EXPECT_EQ(plan.cachedProductsComplete(c.t, c.productsThrough), c.complete)
            << c.t << " through " << c.productsThrough;
    }
    EXPECT_EQ(plan.productsThrough(), 20);
    EXPECT_TRUE(plan.productShown(12, 3));
    EXPECT_FALSE(plan.productShown(13, 3));

    // Without products every cached degree is whole.
    plan.readings.products = false;
    EXPECT_TRUE(plan.mayTakeCached(13, computed));
    EXPECT_TRUE(plan.cachedProductsComplete(19, 0));
    EXPECT_EQ(plan.productsThrough(), 0);
}

TEST(ChartPlan, TheTransfersSphereAndTheChartsName) {
    ChartPlan plan;
    plan.space = Space(1, std::nullopt);
    plan.degrees = DegreeRange{3, 28};
    EXPECT_EQ(plan.sphereDegrees().first, 5);
    EXPECT_EQ(plan.sphereDegrees().last, 30);
    EXPECT_EQ(plan.sphereBand(), std::nullopt);
    plan.band = 4;
    EXPECT_EQ(plan.sphereBand(), 5);
    EXPECT_EQ(plan.name(Script::Ascii), "RP^inf");
    plan.space = Space::sphere();
    plan.readings.unstable = 5;
    EXPECT_EQ(plan.name(Script::Ascii), "S^5 (unstable)");
    EXPECT_TRUE(plan.readings.births());
}

} // namespace
} // namespace curtis
