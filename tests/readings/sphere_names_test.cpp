// The sphere's generators, names, Massey products and periodicity against
// the literature: the generators through stem 20, named bidegrees, Massey
// products with no indeterminacy, and every name read back as the class it
// names.
#include "readings/massey.hpp"
#include "readings/sphere_names.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <string>
#include <tuple>

namespace curtis {
namespace {

class SphereRing : public ::testing::Test {
protected:
    static constexpr int last = 40;
    SphereRing() : tables_(last, 0), algebra_(tables_.computation()), names_(algebra_) {
        std::string why;
        EXPECT_TRUE(names_.compute(last, {}, warnings_, why)) << why;
    }
    SphereValue named(const std::string& name) {
        std::string why;
        const ChainResult<SphereValue> value = names_.parse(name, why);
        EXPECT_TRUE(value) << name << ": " << why;
        return value.value_or(SphereValue{});
    }

    testing::Tables tables_;
    ChainAlgebra algebra_;
    SphereNames names_;
    std::vector<std::string> warnings_;
};

TEST_F(SphereRing, GeneratorsThroughStem20AreTheLiteraturesAndNoOthers) {
    const std::set<std::tuple<int, int, std::string>> expected{
        {0, 1, "h0"},  {1, 1, "h1"},    {3, 1, "h2"},      {7, 1, "h3"},
        {8, 3, "c0"},  {9, 5, "P h1"},  {11, 5, "P h2"},   {14, 4, "d0"},
        {15, 1, "h4"}, {16, 7, "P c0"}, {17, 4, "e0"},     {17, 9, "P^2 h1"},
        {18, 4, "f0"}, {19, 3, "c1"},   {19, 9, "P^2 h2"}, {20, 4, "g"}};
    std::set<std::tuple<int, int, std::string>> found;
    for (const SphereGenerator& g : names_.generators()) {
        if (g.stem <= 20) {
            found.emplace(g.stem, g.filtration, g.name);
        }
    }
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(warnings_.empty()) << warnings_.front();
}

TEST_F(SphereRing, NamedBidegrees) {
    // (15, 5) is spanned by h0^4 h4 and h1 d0; (9, 4) is h1 c0.
    const SphereValue a = named("h0^4 h4");
    const SphereValue b = named("h1 d0");
    ASSERT_EQ(std::make_pair(a.t, a.k), std::make_pair(21, 5));
    ASSERT_EQ(names_.survivors(21, 5)->size(), 2U);
    EXPECT_NE(a.bits, 0U);
    EXPECT_NE(b.bits, 0U);
    EXPECT_NE(a.bits, b.bits);
    EXPECT_EQ(names_.name(b), "h1 d0");
    EXPECT_EQ(names_.name({21, 5, a.bits ^ b.bits}), "h1 d0 + h0^4 h4");
    ASSERT_EQ(names_.survivors(14, 4)->size(), 1U);
    EXPECT_EQ(names_.name({14, 4, 1}), "h1 c0");
    EXPECT_EQ(names_.name(named("h1 h0")), "0");
}

TEST_F(SphereRing, EveryNameReadsBackAsItsClass) {
    // A name is a sum of monomials and parenthesized sums: parsed term by
    // term and added, it is the class again, through products computed
    // afresh.
    int checked = 0;
    for (std::int32_t t = 2; t <= last; ++t) {
        for (int k = 1; k < t; ++k) {
            const ChartSurvivors* survivors = names_.survivors(t, k);
            for (std::size_t j = 0; survivors != nullptr && j < survivors->size(); ++j) {
                const SphereValue x{t, k, ClassBits{1} << j};
                const std::string name = names_.name(x).value_or("?");
                ClassBits sum = 0;
                int depth = 0; // of parentheses
                for (std::size_t from = 0, plus = 0; plus <= name.size(); ++plus) {
                    depth += name[plus] == '(' ? 1 : name[plus] == ')' ? -1 : 0;
                    if (plus == name.size() || (depth == 0 && name.compare(plus, 3, " + ") == 0)) {
                        const SphereValue term = named(name.substr(from, plus - from));
                        EXPECT_EQ(std::make_pair(term.t, term.k), std::make_pair(t, k)) << name;
                        sum ^= term.bits;
                        from = plus + 3;
                    }
                }
                EXPECT_EQ(sum, x.bits)
                    << "stem " << t - k - 1 << ", filtration " << k << ": " << name;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 150); // every class to t = 40
}

TEST_F(SphereRing, MasseyProductsOfTheLiterature) {
    const struct {
        const char* a;
        const char* b;
        const char* c;
        const char* value;
    } cases[] = {
        {"h0", "h1", "h0", "h1^2"},   {"h1", "h0", "h1", "h0 h2"}, {"h1", "h0", "h2^2", "c0"},
        {"h2", "h1", "h2", "h1 h3"},  {"h1", "h2", "h1", "h2^2"},  {"h3", "h0^4", "h1", "P h1"},
        {"h3", "h0^4", "h2", "P h2"},
    };
    for (const auto& c : cases) {
        MasseyValue found;
        std::string why;
        ASSERT_EQ(
            masseyProduct(names_, named(c.a), named(c.b), named(c.c), {c.a, c.b, c.c}, found, why),
            MasseyOutcome::Found)
            << c.a << "," << c.b << "," << c.c << ": " << why;
        EXPECT_EQ(names_.name(found.value), c.value);
        EXPECT_TRUE(found.indeterminacy.empty()) << c.a << "," << c.b << "," << c.c;
    }
    MasseyValue found;
    std::string why;
    EXPECT_EQ(masseyProduct(names_, named("h1"), named("h1"), named("h0"), {"h1", "h1", "h0"},
                            found, why),
              MasseyOutcome::NotZero);
    EXPECT_EQ(why, "h1 h1 is h1^2, not zero");
}

// The literature's P^k x are the images of Adams periodicity: the table's
// names of each family agree with <h3, h0^4, x> computed, with no
// indeterminacy.
TEST_F(SphereRing, PeriodicityFamiliesBearTheirNames) {
    const std::vector<std::vector<const char*>> families{
        {"h1", "P h1", "P^2 h1", "P^3 h1"},
        {"h2", "P h2", "P^2 h2"},
        {"c0", "P c0", "P^2 c0"},
        {"d0", "P d0"},
        {"e0", "P e0"},
    };
    for (const std::vector<const char*>& family : families) {
        for (std::size_t k = 0; k + 1 < family.size(); ++k) {
            MasseyValue found;
            std::string why;
            ASSERT_EQ(masseyProduct(names_, named("h3"), named("h0^4"), named(family[k]),
                                    {"h3", "h0^4", family[k]}, found, why),
                      MasseyOutcome::Found)
                << family[k] << ": " << why;
            EXPECT_EQ(names_.name(found.value), family[k + 1]);
            EXPECT_TRUE(found.indeterminacy.empty()) << family[k];
        }
    }
}

} // namespace
} // namespace curtis
