// Products by h0 to h3 against what is known of them: the Adams E2 term of
// the sphere through stem 15 and of RP^∞, and the algebra's own laws.
#include "algebra/boundary.hpp"
#include "elimination/computation.hpp"
#include "elimination/products.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

namespace curtis {
namespace {

// Every total degree of P_{-w}^top from 1 to last, every level kept.
std::vector<FinishedDegree> keptDegrees(int last, std::int32_t w, std::optional<std::int32_t> top) {
    std::vector<FinishedDegree> degrees;
    ComputationSettings settings;
    settings.keepLevels = true;
    settings.topCell = top;
    settings.onDegree = [&](FinishedDegree&& degree) { degrees.push_back(std::move(degree)); };
    for (int t = 1; t <= last; ++t) {
        EXPECT_EQ(runComputation(t, w, settings, [](const FinishedLevel&) { return true; }).outcome,
                  Outcome::Finished);
    }
    return degrees;
}

// A sum of survivors of one level of one total degree.
struct Element {
    std::int32_t t;
    int k;
    std::set<std::int64_t> survivors;
};

class Algebra {
public:
    Algebra(int last, std::int32_t w, std::optional<std::int32_t> top = std::nullopt)
        : degrees_(keptDegrees(last, w, top)), products_(degrees_) {}

    // The unit: the bottom cell alone, in total degree 1.
    Element one() const { return {1, 0, {0}}; }

    // The survivors of level k in total degree t whose cell lies lowest: the
    // classes on the bottom cell there.
    Element survivors(std::int32_t t, int k) {
        const LevelTable level = degrees_.at(static_cast<std::size_t>(t - 1)).level(k);
        Element element{t, k, {}};
        for (std::int64_t i = 0; i < level.count; ++i) {
            if (level.state(i) == Alive) {
                element.survivors.insert(i);
            }
        }
        return element;
    }

    // x h_i, a sum mod 2 of the products of its survivors.
    Element times(const Element& x, int i) {
        Element result{x.t + (1 << i), x.k + 1, {}};
        for (const std::int64_t survivor : x.survivors) {
            const std::optional<std::vector<std::int64_t>> product =
                products_.product(x.t, x.k, survivor, i);
            EXPECT_TRUE(product.has_value()) << "t " << x.t << " level " << x.k;
            for (const std::int64_t term : product.value_or(std::vector<std::int64_t>{})) {
                if (!result.survivors.insert(term).second) {
                    result.survivors.erase(term);
                }
            }
        }
        EXPECT_EQ(products_.status(), Products::Status::Ok);
        return result;
    }
    Element times(Element x, std::initializer_list<int> factors) {
        for (const int i : factors) {
            x = times(x, i);
        }
        return x;
    }

    std::vector<FinishedDegree>& degrees() { return degrees_; }
    Products& products() { return products_; }

private:
    std::vector<FinishedDegree> degrees_;
    Products products_;
};

TEST(Products, TheSphereThroughStemFifteen) {
    Algebra sphere(21, 0, 0);
    // Level k in total degree t is filtration k, stem t - 1 - k.
    // h0^k 1 is never zero: the tower in stem 0.
    Element power = sphere.one();
    for (int k = 1; k <= 20; ++k) {
        power = sphere.times(power, 0);
        EXPECT_EQ(power.survivors.size(), 1u) << "h0^" << k;
    }
    // h1^3 = h0^2 h2, not zero.
    const Element h1cubed = sphere.times(sphere.one(), {1, 1, 1});
    EXPECT_EQ(h1cubed.survivors.size(), 1u);
    EXPECT_EQ(h1cubed.survivors, sphere.times(sphere.one(), {2, 0, 0}).survivors);
    // The h0-tower on h3 has four classes.
    Element tower = sphere.times(sphere.one(), 3);
    for (int j = 0; j <= 3; ++j) {
        EXPECT_EQ(tower.survivors.size(), 1u) << "h0^" << j << " h3";
        tower = sphere.times(tower, 0);
    }
    EXPECT_TRUE(tower.survivors.empty());
    // h2^3 = h1^2 h3, not zero.
    const Element h2cubed = sphere.times(sphere.one(), {2, 2, 2});
    EXPECT_EQ(h2cubed.survivors.size(), 1u);
    EXPECT_EQ(h2cubed.survivors, sphere.times(sphere.one(), {1, 1, 3}).survivors);
    // c0, the class in stem 8 and filtration 3, times h1 is not zero.
    const Element c0 = sphere.survivors(12, 3);
    ASSERT_EQ(c0.survivors.size(), 1u);
    EXPECT_EQ(sphere.times(c0, 1).survivors.size(), 1u);
    // Stem 14: h0 h3^2 is not zero but h0^2 h3^2 is, in a group that is not
    // zero: it holds h0 d0, and h0^2 d0 is not zero either.
    const Element h3squared = sphere.times(sphere.one(), {3, 3});
    EXPECT_EQ(h3squared.survivors.size(), 1u);
    EXPECT_EQ(sphere.times(h3squared, {0}).survivors.size(), 1u);
    const Element twice = sphere.times(h3squared, {0, 0});
    EXPECT_TRUE(twice.survivors.empty());
    const Element d0 = sphere.survivors(19, 4);
    ASSERT_EQ(d0.survivors.size(), 1u);
    const Element h0d0 = sphere.times(d0, 0);
    EXPECT_EQ(h0d0.survivors.size(), 1u);
    EXPECT_EQ(sphere.survivors(20, 5).survivors, h0d0.survivors);
    EXPECT_EQ(sphere.times(h0d0, 0).survivors.size(), 1u);
    EXPECT_EQ(sphere.survivors(twice.t, twice.k).survivors.size(), 1u);
}

// RP^∞: the h0-towers on e^3 and e^7 have 3 and 4 classes, for π_3 = Z/8
// and the Z/16 in π_7.
TEST(Products, TowersOfRPInfinity) {
    Algebra rp(12, -1);
    for (const auto& [t, length] : {std::pair{3, 3}, std::pair{7, 4}}) {
        Element tower = rp.survivors(t, 0);
        ASSERT_EQ(tower.survivors.size(), 1u);
        for (int j = 0; j < length; ++j) {
            EXPECT_EQ(tower.survivors.size(), 1u) << "e^" << t << " h0^" << j;
            tower = rp.times(tower, 0);
        }
        EXPECT_TRUE(tower.survivors.empty()) << "e^" << t;
    }
}

// The cycle of every survivor has zero boundary: formed here from its words.
TEST(Products, TheCycleOfEverySurvivorIsACycle) {
    for (const std::int32_t w : {-2, 0, 3}) {
        Algebra algebra(24, w);
        int checked = 0;
        for (FinishedDegree& degree : algebra.degrees()) {
            for (int k = 0; k + 1 < degree.t; ++k) {
                const LevelTable level = degree.level(k);
                for (std::int64_t i = 0; i < level.count; ++i) {
                    if (level.state(i) != Alive) {
                        continue;
                    }
                    TermSet boundary;
                    ASSERT_TRUE(boundary.allocate(1 << 20, degree.t));
                    boundary.clear(k + 2);
                    Entry word[maxMonomialLength];
                    for (const std::int64_t position : algebra.products().cycle(degree.t, k, i)) {
                        degree.basis->wordAt(k, position, word);
                        ASSERT_TRUE(appendReducedBoundary(word, k, w, boundary));
                    }
                    EXPECT_EQ(boundary.rowCount(), 0) << "t " << degree.t << " level " << k;
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, 40);
    }
}

TEST(Products, ALeadingTermNeitherSurvivingNorHitIsAnError) {
    Algebra sphere(5, 0, 0);
    const Element h1 = sphere.times(sphere.one(), 1);
    // h1^2 in total degree 5, level 2, made a source behind the algebra's back.
    const Element h1squared = sphere.survivors(5, 2);
    ASSERT_EQ(h1squared.survivors.size(), 1u);
    sphere.degrees()[4].level(2).markSource(*h1squared.survivors.begin());
    EXPECT_FALSE(sphere.products().product(h1.t, h1.k, *h1.survivors.begin(), 1).has_value());
    EXPECT_EQ(sphere.products().status(), Products::Status::Contradiction);
}

} // namespace
} // namespace curtis
