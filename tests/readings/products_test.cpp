// Products by h0 to h3 against what is known of them: the Adams E2 term of
// the sphere through stem 15 and of RP^∞, and the algebra's own laws.
#include "readings/products.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

namespace curtis {
namespace {

// A sum of survivors of one level of one total degree, as their kept
// records.
struct Element {
    std::int32_t t;
    int k;
    std::set<std::int32_t> survivors;
};

class Algebra {
public:
    Algebra(int last, std::int32_t w, std::optional<std::int32_t> top = std::nullopt)
        : tables_(last, w, top), algebra_(tables_.computation()), products_(algebra_) {}

    // The unit: the bottom cell alone, in total degree 1.
    Element one() const { return {1, 0, {0}}; }

    // The survivors of level k in total degree t.
    Element survivors(std::int32_t t, int k) const {
        const LevelRecords& level = tables_.table().kept(t, k);
        Element element{t, k, {}};
        for (std::int32_t i = 0; i < level.size(); ++i) {
            if (level.state(i) == Alive) {
                element.survivors.insert(i);
            }
        }
        return element;
    }

    // x h_i, a sum mod 2 of the products of its survivors.
    Element times(const Element& x, int i) {
        Element result{x.t + (1 << i), x.k + 1, {}};
        const LevelRecords& level = tables_.table().kept(x.t, x.k);
        for (const std::int32_t survivor : x.survivors) {
            add(result, products_.product(x.t, x.k, level.word(survivor), i));
        }
        return result;
    }
    // x y for a sum y of the sphere's survivors, read off y's cycles.
    Element times(const Element& x, const Element& y) {
        Element result{x.t + y.t - 1, x.k + y.k, {}};
        const LevelRecords& level = tables_.table().kept(x.t, x.k);
        const LevelRecords& ys = tables_.computation().sphere().kept(y.t, y.k);
        for (const std::int32_t survivor : x.survivors) {
            for (const std::int32_t other : y.survivors) {
                add(result, products_.productBy(x.t, x.k, level.word(survivor),
                                                SphereSurvivor{y.t, y.k, ys.word(other)}));
            }
        }
        return result;
    }
    // Every survivor of degrees 2 .. last, each alone.
    std::vector<Element> classes(int last) const {
        std::vector<Element> all;
        for (int t = 2; t <= last; ++t) {
            for (int k = 0; k < t; ++k) {
                for (const std::int32_t i : survivors(t, k).survivors) {
                    all.push_back(Element{t, k, {i}});
                }
            }
        }
        return all;
    }

    Element times(Element x, std::initializer_list<int> factors) {
        for (const int i : factors) {
            x = times(x, i);
        }
        return x;
    }

    testing::Tables& tables() { return tables_; }
    Products& products() { return products_; }

private:
    // Adds a product, a sum mod 2 of survivors, to result.
    static void add(Element& result, const ChainResult<ClassTerms>& product) {
        EXPECT_TRUE(product.has_value()) << "t " << result.t << " level " << result.k;
        for (const std::int32_t term : product.value_or(std::vector<std::int32_t>{})) {
            if (!result.survivors.insert(term).second) {
                result.survivors.erase(term);
            }
        }
    }

    testing::Tables tables_;
    ChainAlgebra algebra_;
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

// Products by any class: the sphere's ring is commutative and associative,
// a space's module over it associative, and products by the classes h_i
// are those by h_i, in every bidegree the tables reach.
TEST(Products, TheRingLawsAndTheModulesOverIt) {
    constexpr int last = 24;
    Algebra sphere(last, 0, 0);
    const std::vector<Element> classes = sphere.classes(last);
    const auto h = [&](int i) { return sphere.survivors((1 << i) + 1, 1); };
    for (const Element& x : classes) {
        for (int i = 0; (1 << i) + x.t <= last; ++i) {
            EXPECT_EQ(sphere.times(x, h(i)).survivors, sphere.times(x, i).survivors);
        }
        for (const Element& y : classes) {
            if (x.t + y.t - 1 > last) {
                continue;
            }
            const Element xy = sphere.times(x, y);
            EXPECT_EQ(xy.survivors, sphere.times(y, x).survivors) << x.t << " " << y.t;
            for (const Element& z : classes) {
                if (xy.t + z.t - 1 <= last) {
                    EXPECT_EQ(sphere.times(xy, z).survivors,
                              sphere.times(x, sphere.times(y, z)).survivors);
                }
            }
        }
    }
    constexpr int spaceLast = 18;
    for (const auto& [w, top] : {std::pair<std::int32_t, std::optional<std::int32_t>>{-1, {}},
                                 std::pair<std::int32_t, std::optional<std::int32_t>>{3, 5}}) {
        Algebra space(spaceLast, w, top);
        for (const Element& x : space.classes(spaceLast)) {
            for (const Element& a : classes) {
                for (const Element& b : classes) {
                    if (x.t + a.t + b.t - 2 <= spaceLast) {
                        EXPECT_EQ(space.times(space.times(x, a), b).survivors,
                                  space.times(x, sphere.times(a, b)).survivors);
                    }
                }
            }
        }
    }
}

// Products the literature gives, read off the cycles of the classes: h0 h1
// = 0, h2^3 = h1^2 h3, h0 h2^2 = 0, h1 c0 != 0 = h0 c0, and the h0-tower on
// h4 of eight classes.
TEST(Products, KnownProductsOfClasses) {
    Algebra sphere(25, 0, 0);
    const auto h = [&](int i) { return sphere.survivors((1 << i) + 1, 1); };
    const Element c0 = sphere.survivors(12, 3);
    ASSERT_EQ(c0.survivors.size(), 1u);
    EXPECT_TRUE(sphere.times(h(0), h(1)).survivors.empty());
    const Element h2cubed = sphere.times(sphere.times(h(2), h(2)), h(2));
    EXPECT_EQ(h2cubed.survivors.size(), 1u);
    EXPECT_EQ(h2cubed.survivors, sphere.times(sphere.times(h(1), h(1)), h(3)).survivors);
    EXPECT_TRUE(sphere.times(h(0), sphere.times(h(2), h(2))).survivors.empty());
    EXPECT_EQ(sphere.times(h(1), c0).survivors.size(), 1u);
    EXPECT_TRUE(sphere.times(h(0), c0).survivors.empty());
    Element tower = h(4);
    for (int k = 1; k <= 8; ++k) {
        tower = sphere.times(h(0), tower);
        EXPECT_EQ(tower.survivors.empty(), k == 8) << "h0^" << k << " h4";
    }
}

TEST(Products, ALeadingTermNeitherSurvivingNorHitIsAnError) {
    // h1^2 in total degree 5, level 2, made a source behind the algebra's
    // back: h1 times h1 leads to it.
    ComputationSettings settings;
    settings.topCell = 0;
    settings.afterSphereLevel = [](SphereTable& sphere, std::int32_t t, int L) {
        if (t == 5 && L == 2) {
            LevelRecords& level = sphere.kept(5, 2);
            for (std::int32_t i = 0; i < level.size(); ++i) {
                if (level.state(i) == Alive) {
                    level.set(i, Source, LevelRecords::none);
                }
            }
        }
    };
    Computation computation(0, settings);
    for (int t = 1; t <= 5; ++t) {
        ASSERT_EQ(computation.computeDegree(t, [](const FinishedLevel&) { return true; }).outcome,
                  Outcome::Finished);
    }
    ChainAlgebra algebra(computation);
    Products products(algebra);
    const Entry h1[] = {0, 1};
    const ChainResult<ClassTerms> product = products.product(3, 1, h1, 1);
    EXPECT_FALSE(product.has_value());
    EXPECT_EQ(product.status(), ChainStatus::Contradiction);
}

} // namespace
} // namespace curtis
