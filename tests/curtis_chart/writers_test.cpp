// The writers of every format against the JSON: the same survivors, arrows
// and products in each, for several spaces; what the picture draws for sums
// and arrows; the names of spaces.
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace curtis {
namespace {

using testing::chartTool;

std::string words(const nlohmann::json& monomial) {
    std::string text;
    for (const nlohmann::json& entry : monomial) {
        if (!text.empty()) {
            text += ' ';
        }
        text += std::to_string(entry.get<int>());
    }
    return text;
}

// "h0" to "h3"; GCC 12 warns wrongly about "h" + std::to_string(i).
std::string factor(int i) {
    std::string name = "h";
    name += static_cast<char>('0' + i);
    return name;
}

std::vector<std::string> sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
}

// What a chart says, each item a line of text: "survivor t s monomial",
// "arrow t s target < source", "hi t' s' term < source" ("-" for a zero
// product).
struct Contents {
    std::vector<std::string> survivors, arrows, products;
};

Contents fromJson(const nlohmann::json& chart) {
    Contents contents;
    for (const nlohmann::json& degree : chart.at("degrees")) {
        const int t = degree.at("t");
        for (const nlohmann::json& level : degree.at("levels")) {
            const std::string at =
                std::to_string(t) + " " + std::to_string(level.at("s").get<int>());
            const nlohmann::json& survivors = level.at("survivors");
            for (std::size_t j = 0; j < survivors.size(); ++j) {
                contents.survivors.push_back(at + " " + words(survivors[j]));
                if (!level.contains("products")) {
                    continue;
                }
                for (int i = 0; i < 4; ++i) {
                    const nlohmann::json& product = level.at("products")[j].at(factor(i));
                    const std::string prefix = factor(i) + " " + std::to_string(t + (1 << i)) +
                                               " " + std::to_string(level.at("s").get<int>() + 1) +
                                               " ";
                    if (product.is_array() && product.empty()) {
                        contents.products.push_back(prefix + "- < " + words(survivors[j]));
                    }
                    for (const nlohmann::json& term :
                         product.is_null() ? nlohmann::json::array() : product) {
                        contents.products.push_back(prefix + words(term) + " < " +
                                                    words(survivors[j]));
                    }
                }
            }
            for (const nlohmann::json& arrow : level.at("arrows")) {
                contents.arrows.push_back(at + " " + words(arrow.at("target")) + " < " +
                                          words(arrow.at("source")));
            }
        }
    }
    return contents;
}

Contents fromTsv(const std::string& tsv) {
    Contents contents;
    std::istringstream lines(tsv);
    std::string line;
    std::getline(lines, line); // the header
    while (std::getline(lines, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) {
            f.push_back(field);
        }
        f.resize(8);
        const std::string at = f[0] + " " + f[1];
        if (f[6] == "survivor") {
            contents.survivors.push_back(at + " " + f[5]);
        } else if (f[6] == "arrow") {
            contents.arrows.push_back(at + " " + f[5] + " < " + f[7]);
        } else {
            contents.products.push_back(f[6] + " " + at + " " + (f[5].empty() ? "-" : f[5]) +
                                        " < " + f[7]);
        }
    }
    return contents;
}

// The text has survivors and arrows by section; the bidegree is read from
// the lines that head each degree and section.
Contents fromText(const std::string& text) {
    Contents contents;
    std::istringstream lines(text);
    std::string t;
    std::string s;
    const std::regex degree("w=-?[0-9]+ t=([0-9]+) space=.*");
    const std::regex section("homological degree s=([0-9]+) .*");
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, match, degree)) {
            t = match[1];
        } else if (std::regex_match(line, match, section)) {
            s = match[1];
        } else if (!line.empty() && line != "Computation finished!") {
            line.pop_back(); // every number is followed by a blank
            const std::size_t arrow = line.find(" <-- ");
            if (arrow == std::string::npos) {
                contents.survivors.push_back(t + " " + s + " " + line);
            } else {
                contents.arrows.push_back(t + " " + s + " " + line.substr(0, arrow) + " < " +
                                          line.substr(arrow + 5));
            }
        }
    }
    return contents;
}

// The picture tells no bidegrees; its dots and arrows carry their monomials
// as titles, its product lines their factor as class.
Contents fromSvg(const std::string& svg) {
    Contents contents;
    const std::regex dot("<circle class=\"survivor\"[^>]*><title>([^<]*)</title>");
    const std::regex arrow("<line class=\"arrow\"[^>]*><title>([^<]*) &lt;-- ([^<]*)</title>");
    const std::regex product("<line class=\"(h[0-3])( sum)?\"");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), dot); it != std::sregex_iterator();
         ++it) {
        contents.survivors.push_back((*it)[1]);
    }
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), arrow);
         it != std::sregex_iterator(); ++it) {
        contents.arrows.push_back(std::string((*it)[1]) + " < " + std::string((*it)[2]));
    }
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), product);
         it != std::sregex_iterator(); ++it) {
        contents.products.push_back((*it)[1]);
    }
    return contents;
}

// Drops the bidegrees, keeps what the picture can show.
std::vector<std::string> monomialsOnly(const std::vector<std::string>& items) {
    std::vector<std::string> result;
    for (const std::string& item : items) {
        const std::size_t second = item.find(' ', item.find(' ') + 1);
        result.push_back(item.substr(second + 1));
    }
    return sorted(result);
}

TEST(Writers, EveryFormatHoldsTheSameChartForEverySpace) {
    const std::vector<std::vector<std::string>> spaces{
        {"--sphere", "--max-degree", "14"},
        {"--bottom-cell", "1", "--top-cell", "6", "--max-degree", "12"},
        {"--bottom-cell", "-3", "--top-cell", "5", "--max-degree", "11"},
        {"--bottom-cell", "0", "--min-degree", "3", "--max-degree", "12"},
    };
    for (const std::vector<std::string>& space : spaces) {
        const auto run = [&](std::vector<std::string> extra) {
            std::vector<std::string> arguments = space;
            arguments.insert(arguments.end(), extra.begin(), extra.end());
            const testing::ProcessResult result = chartTool(arguments);
            EXPECT_EQ(result.exitStatus, 0) << result.err;
            return result.out;
        };
        const std::string name = space[0] + " " + space[1];
        const Contents json = fromJson(nlohmann::json::parse(run({"--products"})));
        ASSERT_FALSE(json.survivors.empty()) << name;
        ASSERT_FALSE(json.products.empty()) << name;

        const Contents tsv = fromTsv(run({"--products", "--format", "tsv"}));
        EXPECT_EQ(sorted(tsv.survivors), sorted(json.survivors)) << name;
        EXPECT_EQ(sorted(tsv.arrows), sorted(json.arrows)) << name;
        EXPECT_EQ(sorted(tsv.products), sorted(json.products)) << name;

        const Contents text = fromText(run({"--format", "text"}));
        EXPECT_EQ(text.survivors, json.survivors) << name;
        EXPECT_EQ(sorted(text.arrows), sorted(json.arrows)) << name;

        const Contents svg =
            fromSvg(run({"--products", "--h3-lines", "--format", "svg", "--arrows"}));
        EXPECT_EQ(sorted(svg.survivors), monomialsOnly(json.survivors)) << name;
        EXPECT_EQ(sorted(svg.arrows), monomialsOnly(json.arrows)) << name;
        std::vector<std::string> factors;
        for (const std::string& product : json.products) {
            if (product.find(" - < ") == std::string::npos) {
                factors.push_back(product.substr(0, 2));
            }
        }
        // The legend shows one line of a sum.
        factors.push_back("h0");
        EXPECT_EQ(sorted(svg.products), sorted(factors)) << name;

        // --arrows N draws the pairings that change the cell by N or more.
        std::size_t far = 0;
        for (const std::string& arrow : json.arrows) {
            const std::size_t open = arrow.find(' ', arrow.find(' ') + 1) + 1;
            const int target = std::stoi(arrow.substr(open));
            const int source = std::stoi(arrow.substr(arrow.find(" < ") + 3));
            far += source - target >= 2 ? 1 : 0;
        }
        EXPECT_EQ(fromSvg(run({"--format", "svg", "--arrows", "2"})).arrows.size(), far) << name;
    }
}

// In the sphere at stem 15, filtration 4, h0 times 0 12 1 1 1 is the sum
// of two survivors: two lines of their own style lead there, and every
// other product is one class.
TEST(Writers, APictureDrawsASumInItsOwnStyle) {
    const std::vector<std::string> sphere{"--sphere", "--max-degree", "21", "--products"};
    const nlohmann::json chart = nlohmann::json::parse(chartTool(sphere).out);
    const nlohmann::json& level = chart.at("degrees")[19].at("levels")[4]; // t = 20, s = 5
    ASSERT_EQ(level.at("stem"), 15);
    const auto at = std::find(level.at("survivors").begin(), level.at("survivors").end(),
                              nlohmann::json{0, 12, 1, 1, 1});
    ASSERT_NE(at, level.at("survivors").end());
    const nlohmann::json& h0 =
        level.at("products")[static_cast<std::size_t>(at - level.at("survivors").begin())]["h0"];
    EXPECT_EQ(h0, (nlohmann::json{{0, 8, 4, 1, 1, 1}, {0, 2, 4, 3, 3, 3}}));

    std::vector<std::string> arguments = sphere;
    arguments.insert(arguments.end(), {"--format", "svg"});
    const std::string svg = chartTool(arguments).out;
    // Two lines of the sum and one in the legend, all from one point.
    const std::regex sum("<line class=\"h0 sum\" x1=\"([0-9.]+)\" y1=\"([0-9.]+)\"");
    std::vector<std::string> starts;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), sum); it != std::sregex_iterator();
         ++it) {
        starts.push_back(std::string((*it)[1]) + "," + std::string((*it)[2]));
    }
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0], starts[1]);
}

TEST(Writers, SpacesHaveTheirNamesAndSingleCellsNoCellMarks) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> names{
        {{"--sphere"}, "S^0"},
        {{"--bottom-cell", "3", "--top-cell", "3"}, "S^3"},
        {{"--bottom-cell", "1", "--top-cell", "1"}, "S^1"},
        {{"--bottom-cell", "-12", "--top-cell", "-12"}, "S^{-12}"},
        {{"--weight", "0"}, "RP^inf_+"},
        {{"--bottom-cell", "0", "--top-cell", "6"}, "RP^6_+"},
        {{"--bottom-cell", "1", "--top-cell", "10"}, "RP^{10}"},
        {{"--bottom-cell", "1"}, "RP^inf"},
        {{"--bottom-cell", "2", "--top-cell", "7"}, "P_2^7"},
    };
    for (const auto& [space, name] : names) {
        std::vector<std::string> arguments = space;
        arguments.insert(arguments.end(), {"--max-degree", "6", "--format", "text"});
        const std::string text = chartTool(arguments).out;
        EXPECT_EQ(text.substr(0, text.find('\n')),
                  "w=" + std::to_string(-std::stoi(space.size() > 1 ? space[1] : "0")) +
                      " t=1 space=" + name);
        arguments[arguments.size() - 1] = "svg";
        std::string title = name;
        const std::size_t inf = title.find("inf");
        if (inf != std::string::npos) {
            title.replace(inf, 3, "∞");
        }
        const std::string svg = chartTool(arguments).out;
        EXPECT_NE(svg.find("<title>Curtis chart of " + title + ", total degrees 1 to 6</title>"),
                  std::string::npos)
            << name;
        // A single cell: no cell labels, no list of cell colours.
        const bool oneCell = name[0] == 'S';
        EXPECT_EQ(svg.find("<text class=\"cell\"") == std::string::npos, oneCell) << name;
        EXPECT_EQ(svg.find(">cell index<") == std::string::npos, oneCell) << name;
    }
    // No pairing can change the cell of a sphere: no arrow in the legend.
    const std::string sphere =
        chartTool({"--sphere", "--max-degree", "8", "--format", "svg", "--arrows"}).out;
    EXPECT_EQ(sphere.find("pairing that changes the cell"), std::string::npos);
    const std::string rp =
        chartTool({"--bottom-cell", "1", "--max-degree", "8", "--format", "svg", "--arrows"}).out;
    EXPECT_NE(rp.find("pairing that changes the cell"), std::string::npos);
}

} // namespace
} // namespace curtis
