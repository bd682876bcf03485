// James periodicity of the charts: when 2^L > C - A, the chart of
// P_(A+2^L)^(C+2^L) is that of P_A^C with every cell, and so every stem,
// moved up by 2^L; the total degree t, counted from the bottom cell, stays.
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace curtis {
namespace {

#if defined(CURTIS_SANITIZED)
constexpr int maxDegree = 16;
#else
constexpr int maxDegree = 32;
#endif

// The JSON of P_a^c to maxDegree with every survivor's products by h0 to h4
// and its cycle.
nlohmann::json chart(int a, int c) {
    const testing::ProcessResult result = testing::chartTool(
        {"--bottom-cell", std::to_string(a), "--top-cell", std::to_string(c), "--max-degree",
         std::to_string(maxDegree), "--products", "4", "--cycles"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return nlohmann::json::parse(result.out);
}

void moveBy(nlohmann::json& number, int shift) {
    number = number.get<int>() + shift;
}

// A word's first entry is its cell.
void moveWord(nlohmann::json& word, int shift) {
    moveBy(word.at(0), shift);
}

// The chart with every cell moved up by shift: the space, its stems and
// internal degrees, and the cell of every word it lists.
nlohmann::json moved(nlohmann::json chart, int shift) {
    moveBy(chart.at("weight"), -shift);
    moveBy(chart.at("bottom_cell"), shift);
    moveBy(chart.at("top_cell"), shift);
    for (nlohmann::json& degree : chart.at("degrees")) {
        for (nlohmann::json& level : degree.at("levels")) {
            for (const char* key : {"stem", "coweight", "internal_degree"}) {
                moveBy(level.at(key), shift);
            }
            for (nlohmann::json& word : level.at("survivors")) {
                moveWord(word, shift);
            }
            for (nlohmann::json& arrow : level.at("arrows")) {
                moveWord(arrow.at("target"), shift);
                moveWord(arrow.at("source"), shift);
            }
            for (nlohmann::json& products : level.at("products")) {
                for (nlohmann::json& image : products) {
                    if (image.is_null()) {
                        continue; // past the computed degrees
                    }
                    for (nlohmann::json& word : image) {
                        moveWord(word, shift);
                    }
                }
            }
            for (nlohmann::json& cycle : level.at("cycles")) {
                for (nlohmann::json& word : cycle.at("terms")) {
                    moveWord(word, shift);
                }
            }
        }
    }
    return chart;
}

// Every level of P_(a+2^L)^(c+2^L) against that of P_a^c moved, with a
// negative bottom cell among them; and a pair with 2^L = C - A, whose
// charts differ, to show that the comparison can fail.
TEST(JamesPeriodicity, ChartsAgreeMovedByTwoToTheLWhenItExceedsTheCells) {
    struct Pair {
        int a;
        int c;
        int L;
        bool periodic;
    };
    for (const Pair& p :
         {Pair{1, 4, 3, true}, Pair{-3, 2, 3, true}, Pair{2, 9, 4, true}, Pair{1, 5, 2, false}}) {
        const int shift = 1 << p.L;
        ASSERT_EQ(shift > p.c - p.a, p.periodic);
        const std::string pair = "P_" + std::to_string(p.a) + "^" + std::to_string(p.c) +
                                 " moved by " + std::to_string(shift);
        const nlohmann::json expected = moved(chart(p.a, p.c), shift);
        const nlohmann::json found = chart(p.a + shift, p.c + shift);
        if (!p.periodic) {
            EXPECT_NE(found, expected) << pair;
            continue;
        }
        ASSERT_EQ(found.at("degrees").size(), expected.at("degrees").size()) << pair;
        int survivors = 0;
        int arrows = 0;
        int products = 0;
        for (std::size_t d = 0; d < found.at("degrees").size(); ++d) {
            const nlohmann::json& levels = found.at("degrees")[d].at("levels");
            ASSERT_EQ(levels, expected.at("degrees")[d].at("levels"))
                << pair << " t " << found.at("degrees")[d].at("t");
            for (const nlohmann::json& level : levels) {
                survivors += static_cast<int>(level.at("survivors").size());
                arrows += static_cast<int>(level.at("arrows").size());
                for (const nlohmann::json& images : level.at("products")) {
                    for (const nlohmann::json& image : images) {
                        products += !image.is_null() && !image.empty();
                    }
                }
            }
        }
        nlohmann::json space = found;
        nlohmann::json expectedSpace = expected;
        space.erase("degrees");
        expectedSpace.erase("degrees");
        EXPECT_EQ(space, expectedSpace) << pair;
        EXPECT_GT(survivors, 10) << pair;
        EXPECT_GT(arrows, 10) << pair;
        EXPECT_GT(products, 10) << pair;
    }
}

} // namespace
} // namespace curtis
