#include "chart/chart_plan.hpp"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

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
        EXPECT_EQ(Bidegree::atStem(at.stem(), at.filtration(), c.space.bottomCell()).t, c.t);
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

// STEM:FILTRATION:INDEX as --multiply and --massey take it: whole numbers of
// up to four digits, blanks around the whole ignored; nothing else, signs
// and blanks within included. A text with a colon is meant as one.
TEST(SphereClassRef, ParsedAsGivenOrNotAtAll) {
    const struct {
        const char* text;
        std::optional<std::array<int, 3>> ref;
    } cases[] = {
        {"14:4:0", {{14, 4, 0}}},
        {"0:0:0", {{0, 0, 0}}},
        {" 15:1:0", {{15, 1, 0}}},
        {"15:1:0  ", {{15, 1, 0}}},
        {"9999:9:12", {{9999, 9, 12}}},
        {"10000:1:0", {}},
        {"-1:1:0", {}},
        {"+1:1:0", {}},
        {"1: 1:0", {}},
        {"1:2", {}},
        {"1:2:3:4", {}},
        {"1:2:3x", {}},
        {"1::0", {}},
        {"::", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        const std::optional<SphereClassRef> x = parseClassRef(c.text);
        ASSERT_EQ(x.has_value(), c.ref.has_value()) << c.text;
        EXPECT_TRUE(meantAsClassRef(c.text) || std::string(c.text).empty()) << c.text;
        if (x) {
            EXPECT_EQ((std::array<int, 3>{x->stem, x->filtration, static_cast<int>(x->index)}),
                      *c.ref);
            EXPECT_EQ(x->t(), (*c.ref)[0] + (*c.ref)[1] + 1);
            EXPECT_EQ(parseClassRef(x->name())->name(), x->name());
        }
    }
    EXPECT_FALSE(meantAsClassRef("h0^4 h4"));
}

} // namespace
} // namespace curtis
