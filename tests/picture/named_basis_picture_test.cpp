// The sphere drawn in its named basis: the picture's dots and product lines
// against the JSON's "basis" and "basis_products".
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace curtis {
namespace {

using testing::chartTool;

std::string at(long stem, long filtration, const std::string& name) {
    return std::to_string(stem) + ":" + std::to_string(filtration) + ":" + name;
}

// A dot per named class, at its stem, filtration and name; a line per term
// of each product by h_i drawn, "hI[ sum] FROM -> TO", a sum's lines dotted.
TEST(NamedBasisPicture, DrawsTheJsonsBasisAndItsProducts) {
    const std::vector<std::vector<std::string>> cases = {
        {"--max-degree", "30"},
        {"--max-degree", "30", "--h3-lines"},
        {"--max-degree", "30", "--max-filtration", "6"},
    };
    for (const std::vector<std::string>& options : cases) {
        std::vector<std::string> arguments = {"--sphere", "--names", "--products"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const bool h3 = options.back() == "--h3-lines";
        std::vector<std::string> json(arguments.begin(), arguments.end() - (h3 ? 1 : 0));
        json.insert(json.end(), {"--format", "json"});
        std::multiset<std::string> dots, lines;
        const nlohmann::json chart = nlohmann::json::parse(chartTool(json).out);
        for (const nlohmann::json& degree : chart["degrees"]) {
            for (const nlohmann::json& level : degree["levels"]) {
                const long stem = level["stem"], filtration = level["filtration"];
                for (std::size_t b = 0; b < level["basis"].size(); ++b) {
                    const std::string name = level["basis"][b]["name"];
                    dots.insert(at(stem, filtration, name));
                    for (const auto& [factor, product] : level["basis_products"][b].items()) {
                        const int i = factor[1] - '0';
                        for (const nlohmann::json& term : i < (h3 ? 4 : 3) && !product.is_null()
                                                              ? product
                                                              : nlohmann::json::array()) {
                            lines.insert(factor + (product.size() > 1 ? " sum " : " ") +
                                         at(stem, filtration, name) + " -> " +
                                         at(stem + (1 << i) - 1, filtration + 1, term));
                        }
                    }
                }
            }
        }
        std::vector<std::string> svg = arguments;
        svg.insert(svg.end(), {"--format", "svg", "--uncut"});
        const std::string picture = chartTool(svg).out;
        std::smatch match;
        ASSERT_TRUE(std::regex_search(picture, match,
                                      std::regex("data-unit=\"([0-9.]+)\" data-left=\"([0-9.]+)\" "
                                                 "data-top=\"([0-9.]+)\" data-first-stem=\"0\" "
                                                 "data-filtrations=\"([0-9]+)\"")));
        const double unit = std::stod(match[1]), left = std::stod(match[2]);
        const double top = std::stod(match[3]);
        const long rows = std::stol(match[4]);
        std::map<std::string, std::string> dotAt; // "x y" -> stem:filtration:name
        std::multiset<std::string> drawnDots, drawnLines;
        std::vector<std::vector<std::string>> drawnLineEnds; // the lines come before the dots
        // A dot's name is its title's first part (its label may be in the
        // table under the picture).
        const std::regex dot("cx=\"([0-9.]+)\" cy=\"([0-9.]+)\"[^>]*><title>([^:<]*):");
        const std::regex line("<line class=\"(h[0-3](?: sum)?)\" x1=\"([0-9.]+)\" y1=\"([0-9.]+)\" "
                              "x2=\"([0-9.]+)\" y2=\"([0-9.]+)\"><title>");
        std::istringstream text(picture);
        for (std::string row; std::getline(text, row);) {
            if (std::regex_search(row, match, dot)) {
                const std::string place =
                    at(std::lround((std::stod(match[1]) - left) / unit),
                       rows - 1 - std::lround((std::stod(match[2]) - top) / unit), match[3]);
                dotAt[std::string(match[1]) + " " + std::string(match[2])] = place;
                drawnDots.insert(place);
            } else if (std::regex_search(row, match, line)) {
                drawnLineEnds.push_back(std::vector<std::string>(match.begin(), match.end()));
            }
        }
        for (const std::vector<std::string>& m : drawnLineEnds) {
            drawnLines.insert(m[1] + " " + dotAt[m[2] + " " + m[3]] + " -> " +
                              dotAt[m[4] + " " + m[5]]);
        }
        EXPECT_FALSE(dots.empty());
        EXPECT_EQ(drawnDots, dots) << options.back();
        EXPECT_EQ(drawnLines, lines) << options.back();
    }
}

} // namespace
} // namespace curtis
