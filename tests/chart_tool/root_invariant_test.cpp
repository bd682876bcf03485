// The algebraic root invariants of --root-invariant against the
// literature's theorems, and against themselves: R(x) lies in x's
// filtration at stem n + k - 1, and P_{-N} with another N >= k detects x on
// the same cell by the same class (and gives nothing where k > N).
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
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

} // namespace
} // namespace curtis
