// The algebraic root invariants of --root-invariant against the
// literature's theorems, and against themselves: R(x) lies in x's
// filtration at stem n + k - 1, and P_{-N} with another N >= k detects x on
// the same cell by the same class (and gives nothing where k > N).
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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

// The sums over F2 of some of the pairs' firsts (lists of words) whose
// seconds add up to zero, each the set of its words without their cells.
std::set<std::set<std::string>> zeroSums(const nlohmann::json& pairs) {
    std::set<std::set<std::string>> sums;
    for (std::size_t subset = 0; subset >> pairs.size() == 0; ++subset) {
        std::set<std::string> sum[2] = {{""}, {""}};
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            for (std::size_t side = 0; side < 2 && (subset >> i) % 2 == 1; ++side) {
                for (nlohmann::json word : pairs[i][side]) {
                    word.erase(0);
                    sum[side].insert(sum[side].erase(word.dump()) == 1 ? "" : word.dump());
                }
            }
        }
        sums.insert(sum[1].size() == 1 ? sum[0] : std::set<std::string>{""}); // {""}: zero
    }
    return sums;
}

TEST(RootInvariant, IndeterminacyIsWhatTheCellsAboveKillOnTheBottomCell) {
    // β is defined modulo the kernel of S^-k -> P_-k^inf, read off P_-k^-k's
    // map into it; stems 14 and 15 hold R(h0^2 d0) and R(h0^5 h4), each mod one.
    const auto chart = [](const std::vector<std::string>& arguments) {
        return nlohmann::json::parse(testing::chartTool(arguments).out).at("degrees");
    };
    std::size_t modulo = 0;
    for (const nlohmann::json& degree :
         chart({"--sphere", "--min-stem", "14", "--max-stem", "15", "--root-invariant", "26"})) {
        for (const nlohmann::json& level : degree.at("levels")) {
            for (const nlohmann::json& r : level.at("root_invariant")) {
                if (r.is_null()) {
                    continue;
                }
                const std::string k = r.at("k").dump();
                const int s = level.at("filtration");
                const std::string at = std::to_string(level.at("stem").get<int>() - 1);
                nlohmann::json images = nlohmann::json::array();
                for (const nlohmann::json& d :
                     chart({"--bottom-cell", "-" + k, "--top-cell", "-" + k, "--min-stem", at,
                            "--max-stem", at, "--max-filtration", std::to_string(s), "--map",
                            "include:inf"})) {
                    for (const nlohmann::json& l : d.at("levels")) {
                        for (std::size_t j = 0;
                             l.at("filtration") == s && j < l.at("survivors").size(); ++j) {
                            images.push_back({{l.at("survivors")[j]}, l.at("include:inf")[j]});
                        }
                    }
                }
                nlohmann::json indeterminacy = r.at("indeterminacy");
                for (nlohmann::json& element : indeterminacy) {
                    element = {element, nlohmann::json::array()};
                }
                EXPECT_EQ(zeroSums(indeterminacy), zeroSums(images)) << r.dump();
                modulo += zeroSums(images).size() > 1 ? 1u : 0u;
            }
        }
    }
    EXPECT_EQ(modulo, 2u);
}

} // namespace
} // namespace curtis
