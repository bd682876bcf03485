// The algebraic root invariants of --root-invariant against the
// literature's theorems, and against themselves: R(x) lies in x's
// filtration at stem n + k - 1, and P_{-N} with another N >= k detects x on
// the same cell by the same class (and gives nothing where k > N).
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace curtis {
namespace {

// Each class of the sphere through stem 7 by (stem, filtration, index):
// its name and its root invariant as the JSON gives it.
using Classes = std::map<std::tuple<int, int, std::size_t>, std::pair<std::string, nlohmann::json>>;

Classes rootInvariants(const std::string& cells) {
    const testing::ProcessResult result = testing::chartTool(
        {"--sphere", "--max-stem", "7", "--names", "--root-invariant", cells, "--threads", "1"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    Classes classes;
    const nlohmann::json chart = nlohmann::json::parse(result.out);
    for (const nlohmann::json& degree : chart.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            for (std::size_t j = 0;
                 level.contains("root_invariant") && j < level.at("root_invariant").size(); ++j) {
                const std::tuple at{level.at("stem").get<int>(), level.at("filtration").get<int>(),
                                    j};
                classes[at] = {level.at("names")[j].get<std::string>(),
                               level.at("root_invariant")[j]};
            }
        }
    }
    return classes;
}

TEST(RootInvariant, KnownValuesFiltrationAndStability) {
    // The default N is 24 here; N = 9 is exactly h3's k.
    const Classes wide = rootInvariants("0");
    const Classes narrow = rootInvariants("9");
    // Mahowald-Shick and Mahowald-Ravenel: R(h_i) = h_(i+1), R(h0^j) for
    // j <= 4, and the cells that detect them.
    const std::map<std::string, std::pair<int, std::string>> known{
        {"h0", {2, "h1"}}, {"h0^2", {3, "h1^2"}}, {"h0^3", {4, "h1^3"}}, {"h0^4", {8, "h0^3 h3"}},
        {"h1", {3, "h2"}}, {"h2", {5, "h3"}},     {"h3", {9, "h4"}},
    };
    std::size_t found = 0;
    for (const auto& [at, named] : wide) {
        const auto& [stem, filtration, j] = at;
        const nlohmann::json& r = named.second;
        SCOPED_TRACE(named.first);
        ASSERT_TRUE(r.is_object()); // every class through stem 7 has k <= 24
        const int k = r.at("k");
        if (const auto value = known.find(named.first); value != known.end()) {
            ++found;
            EXPECT_EQ(k, value->second.first);
            EXPECT_EQ(r.at("names"), nlohmann::json::array({value->second.second}));
        }
        // In x's filtration, at stem n + k - 1, and not zero.
        ASSERT_FALSE(r.at("value").empty());
        for (const nlohmann::json& word : r.at("value")) {
            EXPECT_EQ(static_cast<int>(word.size()), filtration + 1);
            int sum = 0;
            for (std::size_t i = 1; i < word.size(); ++i) {
                sum += word[i].get<int>();
            }
            EXPECT_EQ(sum, stem + k - 1);
        }
        // The same cell and class for N = 9 where k <= 9, nothing past it.
        const nlohmann::json& other = narrow.at(at).second;
        EXPECT_EQ(other, k <= 9 ? r : nlohmann::json());
    }
    EXPECT_EQ(found, known.size());
}

// A vector over F2: the sum of its words. A subspace in reduced echelon form
// (each vector's least word in no other vector) is the same set for every
// basis that spans it.
using Vector = std::set<std::string>;

Vector plus(const Vector& x, const Vector& y) {
    Vector sum;
    std::set_symmetric_difference(x.begin(), x.end(), y.begin(), y.end(),
                                  std::inserter(sum, sum.end()));
    return sum;
}

std::set<Vector> span(const std::vector<Vector>& vectors) {
    std::vector<Vector> basis;
    for (Vector v : vectors) {
        for (const Vector& b : basis) {
            v = v.count(*b.begin()) > 0 ? plus(v, b) : v;
        }
        for (Vector& b : basis) {
            b = !v.empty() && b.count(*v.begin()) > 0 ? plus(b, v) : b;
        }
        if (!v.empty()) {
            basis.push_back(v);
        }
    }
    return {basis.begin(), basis.end()};
}

// The words of a list of monomials, the cell written as -k.
Vector onCell(const nlohmann::json& words, int k) {
    Vector v;
    for (nlohmann::json word : words) {
        word[0] = -k;
        v.insert(word.dump());
    }
    return v;
}

// The kernel of the inclusion of the bottom cell S^-k -> P_-k^inf on the
// classes of stem n - 1 and filtration s, from the chart of P_-k^-k with
// --map include:inf: the sums of survivors whose images add up to zero.
std::vector<Vector> bottomCellKernel(int k, int n, int s) {
    const testing::ProcessResult result = testing::chartTool(
        {"--bottom-cell", std::to_string(-k), "--top-cell", std::to_string(-k), "--min-stem",
         std::to_string(n - 1), "--max-stem", std::to_string(n - 1), "--max-filtration",
         std::to_string(s), "--map", "include:inf", "--threads", "1"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::pair<Vector, Vector>> images; // reduced image, and of what
    std::vector<Vector> kernel;
    const nlohmann::json chart = nlohmann::json::parse(result.out);
    for (const nlohmann::json& degree : chart.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            for (std::size_t j = 0; level.at("filtration") == s && j < level.at("survivors").size();
                 ++j) {
                EXPECT_FALSE(level.at("include:inf")[j].is_null());
                Vector image = onCell(level.at("include:inf")[j], k);
                Vector of = onCell(nlohmann::json::array({level.at("survivors")[j]}), k);
                for (const auto& [b, bOf] : images) {
                    if (image.count(*b.begin()) > 0) {
                        image = plus(image, b);
                        of = plus(of, bOf);
                    }
                }
                if (image.empty()) {
                    kernel.push_back(of);
                } else {
                    images.emplace_back(image, of);
                }
            }
        }
    }
    return kernel;
}

TEST(RootInvariant, IndeterminacyIsWhatTheCellsAboveKillOnTheBottomCell) {
    // R(x) = β lifts e(-1) x from P_-k^inf to its bottom cell S^-k: β is
    // defined modulo the kernel of S^-k -> P_-k^inf, read here off the map
    // of P_-k^-k into P_-k^inf, a computation apart from P_{-N}. Stems 14
    // and 15 hold R(h0^2 d0) = y and R(h0^5 h4) = P h1 h5, each modulo a
    // class.
    const testing::ProcessResult result =
        testing::chartTool({"--sphere", "--min-stem", "14", "--max-stem", "15", "--root-invariant",
                            "26", "--threads", "1"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::size_t read = 0;
    std::size_t modulo = 0;
    const nlohmann::json chart = nlohmann::json::parse(result.out);
    for (const nlohmann::json& degree : chart.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            for (const nlohmann::json& r : level.at("root_invariant")) {
                if (r.is_null()) {
                    continue;
                }
                const int k = r.at("k");
                SCOPED_TRACE(r.dump());
                const std::vector<Vector> kernel =
                    bottomCellKernel(k, level.at("stem"), level.at("filtration"));
                std::vector<Vector> indeterminacy;
                for (const nlohmann::json& element : r.at("indeterminacy")) {
                    indeterminacy.push_back(onCell(element, k));
                }
                EXPECT_EQ(span(indeterminacy), span(kernel));
                // And β is not in it: e(-1) x is not zero in P_-k^inf.
                indeterminacy.push_back(onCell(r.at("value"), k));
                EXPECT_EQ(span(indeterminacy).size(), kernel.size() + 1);
                ++read;
                modulo += kernel.empty() ? 0u : 1u;
            }
        }
    }
    EXPECT_GT(read, 10u);
    EXPECT_EQ(modulo, 2u);
}

} // namespace
} // namespace curtis
