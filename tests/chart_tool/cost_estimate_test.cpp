// The cost announced before a large plan: the model against runs measured
// on two cores that it was not fitted to, and the line it makes.
#include "chart_tool/cost_estimate.hpp"
#include "chart_tool/options.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace curtis {
namespace {

ChartPlan planOf(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "curtis-chart");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    ChartPlan plan;
    EXPECT_EQ(parseChartOptions(static_cast<int>(argv.size()), argv.data(), plan, stderr, stderr),
              ParseOutcome::Run);
    return plan;
}

TEST(CostEstimate, WithinAFactorOfThreeOfRunsItWasNotFittedTo) {
    const struct {
        std::vector<std::string> arguments;
        double seconds; // measured, wall
    } runs[] = {
        {{"--sphere", "-T", "60", "--max-filtration", "17"}, 22.7},
        {{"--bottom-cell", "1", "-T", "79", "--max-filtration", "9"}, 219},
        {{"--bottom-cell", "1", "--top-cell", "8", "-T", "72"}, 279},
        {{"--bottom-cell", "0", "-T", "68"}, 285},
    };
    for (const auto& [arguments, seconds] : runs) {
        const double estimate = estimatedSeconds(planOf(arguments));
        EXPECT_GT(estimate, seconds / 3) << arguments[1] << arguments[3];
        EXPECT_LT(estimate, seconds * 3) << arguments[1] << arguments[3];
    }
}

TEST(CostEstimate, ALargePlanNamesItsRangeWhyAndTheEstimate) {
    const struct {
        std::vector<std::string> arguments;
        std::string line; // before the estimate; empty: no line
    } plans[] = {
        {{"--sphere", "--max-stem", "45"},
         "curtis-chart: stems to 45 in every filtration need t to 69, by Adams' vanishing line: "},
        {{"--sphere", "--max-stem", "50", "--max-filtration", "20"},
         "curtis-chart: stems to 50 in filtrations 0 to 20 need t to 71: "},
        {{"--bottom-cell", "1", "-T", "70"}, "curtis-chart: t to 70 in every filtration: "},
        {{"--bottom-cell", "1", "-T", "62", "--transfer"},
         "curtis-chart: t to 62 in every filtration, and the transfer the sphere's t to 64: "},
        {{"--sphere", "--max-stem", "30"}, ""},
        {{"--bottom-cell", "1", "-T", "80", "--max-filtration", "4"}, ""},
    };
    for (const auto& [arguments, line] : plans) {
        const std::string cost = costLine(planOf(arguments));
        EXPECT_EQ(cost.substr(0, line.size()), line);
        EXPECT_EQ(cost.empty(), line.empty()) << cost;
        EXPECT_EQ(cost.find("estimated ") == line.size(), !line.empty()) << cost;
    }
}

} // namespace
} // namespace curtis
