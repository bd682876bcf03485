// The writers of every format against the JSON: the same survivors, arrows
// and products in each, for several spaces; what the picture draws for sums
// and arrows; the names of spaces.
#include "support/chart_json.hpp"
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace curtis {
namespace {

using testing::chartTool;

const auto words = testing::monomialWords;

// "h0" to "h3"; GCC 12 warns wrongly about "h" + std::to_string(i).
std::string factor(int i) {
    std::string name = "h";
    name += static_cast<char>('0' + i);
    return name;
}

// For each element that begins with `start`: with an empty `open`, the text
// right after start up to `close`; otherwise, unless the element is empty
// ("/>"), the text after its tag and `open` ("" after ">") up to `close`.
std::vector<std::string> captures(const std::string& text, const std::string& start,
                                  const std::string& open, const std::string& close) {
    std::vector<std::string> found;
    for (std::size_t at = text.find(start); at != std::string::npos;
         at = text.find(start, at + 1)) {
        std::size_t from = at + start.size();
        if (!open.empty()) {
            const std::size_t end = text.find('>', at);
            const std::string after = open == ">" ? "" : open;
            if (end == std::string::npos || text[end - 1] == '/' ||
                text.compare(end + 1, after.size(), after) != 0) {
                continue;
            }
            from = end + 1 + after.size();
        }
        found.push_back(text.substr(from, text.find(close, from) - from));
    }
    return found;
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
    std::vector<std::vector<std::string>> rows = testing::tsvRows(tsv);
    for (std::size_t r = 1; r < rows.size(); ++r) { // after the header
        std::vector<std::string>& f = rows[r];
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
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("w=", 0) == 0) {
            const std::size_t at = line.find(" t=") + 3;
            t = line.substr(at, line.find(' ', at) - at);
        } else if (line.rfind("homological degree s=", 0) == 0) {
            const std::size_t at = line.find('=') + 1;
            s = line.substr(at, line.find(' ', at) - at);
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
    contents.survivors = captures(svg, "<circle class=\"survivor\"", "<title>", "</title>");
    for (const std::string& title : captures(svg, "<line class=\"arrow\"", "<title>", "</title>")) {
        const std::size_t arrow = title.find(" &lt;-- ");
        contents.arrows.push_back(title.substr(0, arrow) + " < " + title.substr(arrow + 8));
    }
    for (const std::string& cls : captures(svg, "<line class=\"h", "", "\"")) {
        contents.products.push_back(factor(cls.front() - '0'));
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
            fromSvg(run({"--products", "--h3-lines", "--format", "svg", "--arrows", "--uncut"}));
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
        EXPECT_EQ(fromSvg(run({"--format", "svg", "--arrows", "2", "--uncut"})).arrows.size(), far)
            << name;
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
    // Two lines of the sum and one in the legend, the first two from one
    // point.
    const std::vector<std::string> starts =
        captures(svg, "<line class=\"h0 sum\" x1=\"", "", "\" x2");
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

namespace curtis {
namespace {

// The rows of a TSV with births, each of its ten fields.
std::vector<std::vector<std::string>> tsvRows(const std::string& tsv) {
    std::vector<std::vector<std::string>> rows = testing::tsvRows(tsv);
    for (std::vector<std::string>& fields : rows) {
        fields.resize(10);
    }
    return rows;
}

// Births, EHP pairs and unstable classes, the same in every format that
// shows them.
TEST(Writers, BirthsAndUnstableClassesInEveryFormat) {
    const auto run = [](std::vector<std::string> arguments) {
        const testing::ProcessResult result = chartTool(arguments);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        return result.out;
    };
    const nlohmann::json ehp =
        nlohmann::json::parse(run({"--sphere", "--max-degree", "16", "--ehp"}));
    std::vector<std::string> survivors, pairs, labels;
    for (const nlohmann::json& degree : ehp.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            const std::string at = std::to_string(degree.at("t").get<int>()) + " " +
                                   std::to_string(level.at("s").get<int>()) + " ";
            ASSERT_EQ(level.at("born").size(), level.at("survivors").size());
            for (std::size_t j = 0; j < level.at("born").size(); ++j) {
                const std::string born = std::to_string(level.at("born")[j].get<int>());
                survivors.push_back(at + words(level.at("survivors")[j]) + " " + born);
                labels.push_back(born);
            }
            for (const nlohmann::json& pair : level.at("ehp")) {
                pairs.push_back(at + words(pair.at("target")) + " < " + words(pair.at("source")) +
                                " " + std::to_string(pair.at("born").get<int>()) + " " +
                                std::to_string(pair.at("dies").get<int>()));
            }
        }
    }
    EXPECT_GT(pairs.size(), 20u);
    std::vector<std::string> tsvSurvivors, tsvPairs;
    const auto rows = tsvRows(run({"--sphere", "--max-degree", "16", "--ehp", "--format", "tsv"}));
    EXPECT_EQ(rows.front()[8] + " " + rows.front()[9], "born dies");
    for (const auto& f : rows) {
        if (f[6] == "survivor") {
            tsvSurvivors.push_back(f[0] + " " + f[1] + " " + f[5] + " " + f[8]);
        } else if (f[6] == "ehp") {
            tsvPairs.push_back(f[0] + " " + f[1] + " " + f[5] + " < " + f[7] + " " + f[8] + " " +
                               f[9]);
        }
    }
    EXPECT_EQ(tsvSurvivors, survivors);
    EXPECT_EQ(tsvPairs, pairs);
    // The picture labels each dot with the sphere it is born on.
    const std::string svg =
        run({"--sphere", "--max-degree", "16", "--ehp", "--format", "svg", "--uncut"});
    EXPECT_EQ(sorted(captures(svg, "<text class=\"born\"", ">", "</text>")), sorted(labels));

    // S^3: every class a survivor; a class that dies has its sphere and its
    // killer, which the text shows as a class with its death after it,
    // "y (dies on S^5, killed by x)", never with "<--".
    const nlohmann::json unstable =
        nlohmann::json::parse(run({"--sphere", "--max-degree", "16", "--unstable", "3"}));
    EXPECT_EQ(unstable.at("unstable"), 3);
    std::vector<std::string> killed;
    for (const nlohmann::json& degree : unstable.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            ASSERT_EQ(level.at("dies").size(), level.at("survivors").size());
            for (std::size_t j = 0; j < level.at("dies").size(); ++j) {
                EXPECT_LE(level.at("born")[j].get<int>(), 3);
                if (!level.at("dies")[j].is_null()) {
                    EXPECT_GT(level.at("dies")[j].get<int>(), 3);
                    killed.push_back(words(level.at("survivors")[j]) + " (dies on S^" +
                                     std::to_string(level.at("dies")[j].get<int>()));
                }
            }
        }
    }
    EXPECT_FALSE(killed.empty());
    const std::string text =
        run({"--sphere", "--max-degree", "16", "--unstable", "3", "--format", "text"});
    EXPECT_EQ(text.substr(0, text.find('\n')), "w=0 t=1 space=S^3 (unstable)");
    std::vector<std::string> textKilled;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.find("<--"), std::string::npos) << line;
        if (line.find(" (dies on S^") != std::string::npos) {
            textKilled.push_back(line.substr(0, line.find(',')));
        }
    }
    EXPECT_EQ(textKilled, killed);
    EXPECT_NE(run({"--sphere", "--max-degree", "16", "--unstable", "3", "--format", "svg"})
                  .find("<title>Curtis chart of S^3 (unstable), total degrees 1 to 16</title>"),
              std::string::npos);
}

// Products in the unstable charts of S^N: every term a class of S^N (none
// leaves Λ(N), or the run would stop), null where h_i is not yet there,
// and the stable products in the stable range; the picture rings the
// classes that die later.
TEST(Writers, UnstableProductsStayInTheirSphereAndAgreeWithTheStableOnes) {
    const auto json = [](std::vector<std::string> arguments) {
        const testing::ProcessResult result = chartTool(arguments);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        return nlohmann::json::parse(result.out);
    };
    const nlohmann::json stable = json({"--sphere", "--max-degree", "18", "--products"});
    std::size_t compared = 0;
    for (const int n : {2, 3, 5, 9}) {
        const std::string sphere = std::to_string(n);
        const nlohmann::json chart =
            json({"--sphere", "--max-degree", "18", "--unstable", sphere, "--products"});
        std::size_t dying = 0;
        for (std::size_t d = 0; d < chart.at("degrees").size(); ++d) {
            const nlohmann::json& levels = chart.at("degrees")[d].at("levels");
            for (std::size_t l = 0; l < levels.size(); ++l) {
                const nlohmann::json& level = levels[l];
                const nlohmann::json& plain = stable.at("degrees")[d].at("levels")[l];
                const int stem = level.at("stem").get<int>();
                for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                    dying += level.at("dies")[j].is_null() ? 0u : 1u;
                    const nlohmann::json& word = level.at("survivors")[j];
                    for (int i = 0; i < 4; ++i) {
                        const std::string h{'h', static_cast<char>('0' + i)};
                        const nlohmann::json& product = level.at("products")[j].at(h);
                        if (n + stem < (1 << i)) {
                            EXPECT_TRUE(product.is_null()) << n << " " << h;
                        }
                        for (const nlohmann::json& term :
                             product.is_null() ? nlohmann::json::array() : product) {
                            EXPECT_LE(term.size() > 1 ? term[1].get<int>() + 1 : 0, n) << term;
                        }
                        const auto same = std::find(plain.at("survivors").begin(),
                                                    plain.at("survivors").end(), word);
                        if (stem + (1 << i) - 1 <= n - 2 && !product.is_null() &&
                            same != plain.at("survivors").end()) {
                            const auto at = same - plain.at("survivors").begin();
                            EXPECT_EQ(product,
                                      plain.at("products")[static_cast<std::size_t>(at)].at(h))
                                << n << " " << word;
                            ++compared;
                        }
                    }
                }
            }
        }
        const std::string svg = chartTool({"--sphere", "--max-degree", "18", "--unstable", sphere,
                                           "--products", "--format", "svg", "--uncut"})
                                    .out;
        // A ring's label "\u2020M" beside it, or "(stem, filtration) \u2020M" in the
        // table under the picture.
        std::size_t rings = 0;
        for (const char* label : {">\u2020", ") \u2020"}) {
            for (std::size_t at = svg.find(label); at != std::string::npos;
                 at = svg.find(label, at + 1)) {
                ++rings;
            }
        }
        EXPECT_EQ(rings, dying) << n;
    }
    EXPECT_GT(compared, 30u);
}

} // namespace
} // namespace curtis
