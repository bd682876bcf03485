// curtis-chart end to end: its text and JSON against the program's own chart,
// its picture against its JSON, and its refusals.
#include "support/chart_json.hpp"
#include "support/chart_tool_process.hpp"
#include "support/lambda_complex.hpp"
#include "support/run_process.hpp"
#include "support/temporary_directory.hpp"
#include "table/computation.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace curtis {
namespace {

using testing::ProcessOptions;
using testing::ProcessResult;
using testing::runProcess;

using testing::Chain;
using testing::chartTool;
using testing::contents;
using testing::Word;

// The program's chart for w and t: from the first section header through
// "Computation finished!" and the empty line after it.
std::string programChart(int w, int t) {
    ProcessOptions options;
    options.input = std::to_string(w) + "\n" + std::to_string(t) + "\n";
    const ProcessResult result = runProcess(CURTIS_EXECUTABLE, options);
    EXPECT_EQ(result.exitStatus, 0);
    const std::string dialogue = "Please input weight:\nw=\nPlease input total degree:\nt=\n\n";
    const std::string::size_type end = result.out.find("Press any key to exit");
    EXPECT_NE(end, std::string::npos);
    return result.out.substr(dialogue.size(), end - dialogue.size());
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A monomial of the JSON as the chart prints it: each entry and a blank.
std::string printed(const nlohmann::json& monomial) {
    std::string text;
    for (const auto& entry : monomial) {
        text += std::to_string(entry.get<long long>()) + " ";
    }
    return text;
}

constexpr int weights[] = {-3, 0, 2};

TEST(ChartTool, TextIsTheProgramsChartForEveryDegree) {
    const std::map<int, std::string> names{{-3, "P_3^inf"}, {0, "RP^inf_+"}, {2, "P_{-2}^inf"}};
    for (int w : weights) {
        const ProcessResult result =
            chartTool({"--weight", std::to_string(w), "--max-degree", "14", "--format", "text"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.err, "");
        std::string expected;
        for (int t = 1; t <= 14; ++t) {
            expected += "w=" + std::to_string(w) + " t=" + std::to_string(t) +
                        " space=" + names.at(w) + "\n" + programChart(w, t);
        }
        EXPECT_EQ(result.out, expected) << "w " << w;
    }
}

TEST(ChartTool, JsonHoldsTheProgramsChartForEveryDegree) {
    for (int w : weights) {
        const ProcessResult result =
            chartTool({"--weight", std::to_string(w), "--max-degree", "14", "--min-degree", "1"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        const nlohmann::json chart = nlohmann::json::parse(result.out);
        EXPECT_EQ(chart.at("weight"), w);
        ASSERT_EQ(chart.at("degrees").size(), 14u);
        for (int t = 1; t <= 14; ++t) {
            const nlohmann::json& degree = chart.at("degrees").at(static_cast<std::size_t>(t - 1));
            EXPECT_EQ(degree.at("t"), t);
            // Rebuild the program's sections from the JSON: the header, and
            // the survivors and the arrows each in the chart's order.
            std::vector<std::string> survivors, arrows, headers;
            for (const std::string& line : linesOf(programChart(w, t))) {
                if (line.rfind("homological degree", 0) == 0) {
                    headers.push_back(line);
                } else if (line.find("<--") != std::string::npos) {
                    arrows.push_back(line);
                } else if (!line.empty() && line != "Computation finished!") {
                    survivors.push_back(line);
                }
            }
            std::vector<std::string> jsonSurvivors, jsonArrows, jsonHeaders;
            ASSERT_EQ(degree.at("levels").size(), static_cast<std::size_t>(t));
            for (const nlohmann::json& level : degree.at("levels")) {
                const int s = level.at("s");
                EXPECT_EQ(level.at("topological_degree"), t - s);
                EXPECT_EQ(level.at("coweight"), t - w - s);
                jsonHeaders.push_back("homological degree s=" + std::to_string(s) +
                                      " (topological degree " + std::to_string(t - s) +
                                      ", coweight " + std::to_string(t - w - s) + "):");
                for (const nlohmann::json& survivor : level.at("survivors")) {
                    jsonSurvivors.push_back(printed(survivor));
                }
                for (const nlohmann::json& arrow : level.at("arrows")) {
                    const nlohmann::json& target = arrow.at("target");
                    const nlohmann::json& source = arrow.at("source");
                    EXPECT_EQ(target.size(), static_cast<std::size_t>(s));
                    EXPECT_EQ(source.size(), static_cast<std::size_t>(s - 1));
                    EXPECT_NE(target.at(0), source.at(0)); // arrows change the cell
                    jsonArrows.push_back(printed(target) + "<-- " + printed(source));
                }
            }
            EXPECT_EQ(jsonHeaders, headers) << "w " << w << " t " << t;
            EXPECT_EQ(jsonSurvivors, survivors) << "w " << w << " t " << t;
            EXPECT_EQ(jsonArrows, arrows) << "w " << w << " t " << t;
        }
    }
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Survivors and arrows of a whole chart in JSON.
std::pair<std::size_t, std::size_t> lineCounts(const nlohmann::json& chart) {
    std::size_t survivors = 0;
    std::size_t arrows = 0;
    for (const nlohmann::json& degree : chart.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            survivors += level.at("survivors").size();
            arrows += level.at("arrows").size();
        }
    }
    return {survivors, arrows};
}

// A file's whole text.
TEST(ChartTool, ThePictureIsWellFormedWithALabelledDotPerSurvivor) {
    const testing::TemporaryDirectory directory;
    const std::filesystem::path picture = directory / "picture.svg";
    const auto [survivors, arrows] =
        lineCounts(nlohmann::json::parse(chartTool({"--weight", "1", "--max-degree", "20"}).out));
    EXPECT_GT(survivors, 20u);
    EXPECT_GT(arrows, 20u);
    for (const bool withArrows : {false, true}) {
        std::vector<std::string> arguments{"--weight", "1",        "--max-degree",
                                           "20",       "--format", "svg",
                                           "--uncut",  "--output", picture.string()};
        if (withArrows) {
            arguments.push_back("--arrows");
        }
        const ProcessResult svg = chartTool(arguments);
        ASSERT_EQ(svg.exitStatus, 0) << svg.err;
        EXPECT_EQ(svg.out, "");
        const std::string command =
            std::string(XMLLINT_EXECUTABLE) + " --noout " + picture.string();
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string text = contents(picture);
        std::filesystem::remove(picture);

        // A dot and a label (a text, so that it survives conversion to a
        // bitmap) per survivor; its title is its monomial: e(-1) at t = 1.
        EXPECT_EQ(occurrences(text, "<circle class=\"survivor\""), survivors);
        EXPECT_EQ(occurrences(text, "<text class=\"cell\""), survivors);
        EXPECT_NE(text.find("<title>-1</title></circle><text class=\"cell\" x="),
                  std::string::npos);
        // Arrows with heads only when asked for, one more in the legend.
        EXPECT_EQ(occurrences(text, "<line class=\"arrow\""), withArrows ? arrows + 1 : 0);
        EXPECT_EQ(occurrences(text, "marker-end=\"url(#head)\""), withArrows ? arrows + 1 : 0);
        // The space and the axes named as topologists do.
        EXPECT_NE(text.find("<title>Curtis chart of P_{-1}^∞, total degrees 1 to 20</title>"),
                  std::string::npos);
        EXPECT_NE(
            text.find(">stem in P_{-1}^∞; Ext^{s,t}: s the filtration, t − s the stem</text>"),
            std::string::npos);
        EXPECT_NE(text.find(">Adams filtration s</text>"), std::string::npos);
    }
    // Every kind of picture, with the entries of its legend, is well-formed.
    for (std::vector<std::string> kind : std::vector<std::vector<std::string>>{
             {"--sphere", "--max-degree", "20", "--unstable", "3"},
             {"--sphere", "--max-degree", "20", "--names", "--products", "--h3-lines"},
             {"--sphere", "--max-degree", "16", "--ehp", "--chart", "ehp"},
             {"--bottom-cell", "1", "--max-degree", "14", "--chart", "cells", "--arrows", "2"}}) {
        kind.insert(kind.end(), {"--format", "svg", "--output", picture.string()});
        ASSERT_EQ(chartTool(kind).exitStatus, 0) << kind[0];
        const std::string command =
            std::string(XMLLINT_EXECUTABLE) + " --noout " + picture.string();
        EXPECT_EQ(std::system(command.c_str()), 0) << kind[3];
    }
}

// The table read back by Python's csv module, which needs nothing but the
// delimiter, holds exactly the JSON's survivors and arrows in the chart's
// order.
TEST(ChartTool, TheTableReadBackAgreesWithTheJson) {
    const std::vector<std::string> space{"--bottom-cell", "1", "--top-cell", "6",
                                         "--max-degree",  "14"};
    std::vector<std::string> arguments = space;
    const nlohmann::json chart = nlohmann::json::parse(chartTool(arguments).out);
    const testing::TemporaryDirectory directory;
    const std::filesystem::path table = directory / "table.tsv";
    arguments.insert(arguments.end(), {"--format", "tsv", "--output", table.string()});
    ASSERT_EQ(chartTool(arguments).exitStatus, 0);
    ProcessOptions python;
    python.arguments = {"-c",
                        "import csv, json, sys\n"
                        "with open(sys.argv[1], newline='') as f:\n"
                        "    print(json.dumps(list(csv.reader(f, delimiter='\\t'))))\n",
                        table.string()};
    const ProcessResult read = runProcess(PYTHON3_EXECUTABLE, python);
    ASSERT_EQ(read.exitStatus, 0) << read.err;
    const nlohmann::json rows = nlohmann::json::parse(read.out);

    const auto words = testing::monomialWords;
    std::vector<std::vector<std::string>> expected{
        {"t", "s", "stem", "filtration", "cell", "monomial", "kind", "source", "internal_degree"}};
    for (const nlohmann::json& degree : chart.at("degrees")) {
        const std::string t = std::to_string(degree.at("t").get<int>());
        for (const nlohmann::json& level : degree.at("levels")) {
            const int s = level.at("s").get<int>();
            const std::vector<std::string> bidegree{t, std::to_string(s),
                                                    std::to_string(level.at("stem").get<int>()),
                                                    std::to_string(s - 1)};
            // Survivors and arrows interleave in the chart's order, which is
            // the order of the targets' words: decreasing.
            std::vector<std::pair<std::vector<int>, std::vector<std::string>>> lines;
            for (const nlohmann::json& survivor : level.at("survivors")) {
                lines.push_back(
                    {survivor.get<std::vector<int>>(),
                     {std::to_string(survivor[0].get<int>()), words(survivor), "survivor", ""}});
            }
            for (const nlohmann::json& arrow : level.at("arrows")) {
                lines.push_back({arrow.at("target").get<std::vector<int>>(),
                                 {std::to_string(arrow.at("target")[0].get<int>()),
                                  words(arrow.at("target")), "arrow", words(arrow.at("source"))}});
            }
            std::sort(lines.begin(), lines.end(),
                      [](const auto& x, const auto& y) { return x.first > y.first; });
            for (const auto& [word, rest] : lines) {
                std::vector<std::string> row = bidegree;
                row.insert(row.end(), rest.begin(), rest.end());
                row.push_back(std::to_string(level.at("internal_degree").get<int>()));
                expected.push_back(row);
            }
        }
    }
    EXPECT_GT(expected.size(), 30u);
    EXPECT_EQ(rows.get<std::vector<std::vector<std::string>>>(), expected);
}

// The spaces by their names: --bottom-cell A is --weight -A, --sphere is
// P_0^0, and a top cell makes the space finite; the JSON and the text header
// say which space it is.
TEST(ChartTool, SpacesAsTopologistsNameThem) {
    const auto json = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--max-degree", "9"});
        const ProcessResult result = chartTool(arguments);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        return nlohmann::json::parse(result.out);
    };
    const nlohmann::json rp = json({"--bottom-cell", "1"});
    EXPECT_EQ(rp, json({"--weight", "-1"}));
    EXPECT_EQ(rp.at("bottom_cell"), 1);
    EXPECT_TRUE(rp.at("top_cell").is_null());
    const nlohmann::json sphere = json({"--sphere"});
    EXPECT_EQ(sphere, json({"--bottom-cell", "0", "--top-cell", "0"}));
    EXPECT_EQ(sphere, json({"--weight", "0", "--top-cell", "0"}));
    EXPECT_EQ(sphere.at("top_cell"), 0);
    EXPECT_NE(sphere, json({"--weight", "0"}));
    // The sphere's own readings go with it however it is spelled.
    EXPECT_EQ(json({"--sphere", "--ehp"}),
              json({"--bottom-cell", "0", "--top-cell", "0", "--ehp"}));
    // Each level's stem is the coweight, t - s - w.
    for (const nlohmann::json& degree : rp.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            EXPECT_EQ(level.at("stem"), level.at("coweight"));
            EXPECT_EQ(level.at("stem"), degree.at("t").get<int>() - level.at("s").get<int>() + 1);
        }
    }
    const auto header = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--max-degree", "1", "--format", "text"});
        const std::string out = chartTool(arguments).out;
        return out.substr(0, out.find('\n'));
    };
    EXPECT_EQ(header({"--sphere"}), "w=0 t=1 space=S^0");
    EXPECT_EQ(header({"--bottom-cell", "1", "--top-cell", "6"}), "w=-1 t=1 space=RP^6");
    EXPECT_EQ(header({"--bottom-cell", "3", "--top-cell", "12"}), "w=-3 t=1 space=P_3^{12}");
    // A top cell below the single cell of level 0 leaves that level empty.
    const nlohmann::json low = json({"--bottom-cell", "2", "--top-cell", "3"});
    EXPECT_TRUE(low.at("degrees")[8].at("levels")[0].at("survivors").empty());
}

// On a terminal the progress line names the total degree within the range;
// the output is the same as without it.
TEST(ChartTool, TheProgressLineNamesTheDegreeInTheRange) {
    ProcessOptions terminal;
    terminal.errorOnTerminal = true;
    // Degrees long enough that their levels are waited for on any build.
    const std::vector<std::string> arguments{"--weight",     "0",  "--min-degree", "49",
                                             "--max-degree", "50", "--format",     "text"};
    const ProcessResult shown = chartTool(arguments, terminal);
    EXPECT_EQ(shown.exitStatus, 0);
    // Degrees finished ahead on other threads are not waited for, so not
    // every degree need be shown; every line that is names its degree in
    // the range.
    int lines = 0;
    std::istringstream segments(shown.err);
    for (std::string segment; std::getline(segments, segment, '\r');) {
        const std::string text = segment.substr(0, segment.find("\033[K"));
        if (!text.empty()) {
            EXPECT_TRUE(text.rfind("t=49 (49 to 50), ", 0) == 0 ||
                        text.rfind("t=50 (49 to 50), ", 0) == 0)
                << text;
            ++lines;
        }
    }
    EXPECT_GT(lines, 0) << shown.err;
    EXPECT_EQ(shown.out, chartTool(arguments).out);
}

// On a terminal each reading shows its phase, its steps done of its total
// (the products read: those the JSON gives) and, once one is done, the time
// left; the output is the same as without it.
TEST(ChartTool, TheProgressLineCountsTheReadings) {
    ProcessOptions terminal;
    terminal.errorOnTerminal = true;
    std::vector<std::string> arguments{"--sphere", "--max-degree", "20", "--products", "--names"};
    const ProcessResult shown = chartTool(arguments, terminal);
    EXPECT_EQ(shown.exitStatus, 0);
    EXPECT_EQ(shown.out, chartTool(arguments).out);
    std::size_t products = 0;
    const nlohmann::json chart = nlohmann::json::parse(shown.out);
    for (const nlohmann::json& degree : chart.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            for (const nlohmann::json& byFactor : level.at("products")) {
                for (const nlohmann::json& product : byFactor) {
                    products += product.is_null() ? 0U : 1U;
                }
            }
        }
    }
    const std::regex line(R"((\w+): t=\d+ \(1 to 20\), degree s=\d+, (\d+) of (\d+) (\w+))"
                          R"((, about \d+:\d\d:\d\d left)?, \d+:\d\d:\d\d elapsed)");
    std::map<std::string, std::string> totals; // by phase: its total and unit
    std::istringstream segments(shown.err);
    for (std::string segment; std::getline(segments, segment, '\r');) {
        std::smatch read;
        const std::string text = segment.substr(0, segment.find("\033[K"));
        if (std::regex_match(text, read, line)) {
            EXPECT_LT(std::stoul(read[2]), std::stoul(read[3])) << text;
            EXPECT_EQ(read[5].matched, read[2] != "0") << text;
            totals[read[1]] = read[3].str() + " " + read[4].str();
        }
    }
    EXPECT_EQ(totals["products"], std::to_string(products) + " products") << shown.err;
    EXPECT_EQ(totals.count("names"), 1U) << shown.err;
}

// Products in every format: aligned with the survivors in the JSON, null
// where the degree was not computed; the same terms as TSV rows and as lines
// in the picture; the text format and the survivors themselves unchanged.
TEST(ChartTool, ProductsInEveryFormat) {
    const std::vector<std::string> sphere{"--sphere", "--max-degree", "12"};
    std::vector<std::string> arguments = sphere;
    arguments.push_back("--products");
    const nlohmann::json chart = nlohmann::json::parse(chartTool(arguments).out);
    const nlohmann::json plain = nlohmann::json::parse(chartTool(sphere).out);
    // Read on one thread or on several, the products are the same.
    for (const char* threads : {"1", "3"}) {
        std::vector<std::string> on = arguments;
        on.insert(on.end(), {"--threads", threads});
        EXPECT_EQ(nlohmann::json::parse(chartTool(on).out), chart) << threads;
    }
    // "h0" to "h3"; GCC 12 warns wrongly about "h" + std::to_string(i).
    const auto factor = [](int i) {
        std::string name = "h";
        name += static_cast<char>('0' + i);
        return name;
    };
    std::map<std::string, int> terms; // by factor
    std::vector<std::string> rows;    // "t s kind monomial source", as the TSV has them
    for (std::size_t d = 0; d < chart.at("degrees").size(); ++d) {
        const nlohmann::json& degree = chart.at("degrees")[d];
        const int t = degree.at("t").get<int>();
        for (std::size_t l = 0; l < degree.at("levels").size(); ++l) {
            const nlohmann::json& level = degree.at("levels")[l];
            EXPECT_EQ(level.at("survivors"),
                      plain.at("degrees")[d].at("levels")[l].at("survivors"));
            ASSERT_EQ(level.at("products").size(), level.at("survivors").size());
            for (std::size_t j = 0; j < level.at("products").size(); ++j) {
                for (int i = 0; i < 4; ++i) {
                    const nlohmann::json& product = level.at("products")[j].at(factor(i));
                    EXPECT_EQ(product.is_null(), t + (1 << i) > 12) << "t " << t << " h" << i;
                    if (product.is_null()) {
                        continue; // not computed: no row
                    }
                    // A row per term; a zero product is one row with an
                    // empty monomial.
                    const auto row = [&](const nlohmann::json* term) {
                        std::ostringstream text;
                        text << t + (1 << i) << ' ' << level.at("s").get<int>() + 1 << ' '
                             << factor(i) << ' ' << (term ? printed(*term) : " ") << '<';
                        for (const nlohmann::json& entry : level.at("survivors")[j]) {
                            text << ' ' << entry.get<int>();
                        }
                        rows.push_back(text.str());
                    };
                    if (product.empty()) {
                        row(nullptr);
                    }
                    for (const nlohmann::json& term : product) {
                        ++terms[factor(i)];
                        row(&term);
                    }
                }
            }
        }
    }
    // The tower on 1, h1 and h2 on it, ...: products there are.
    EXPECT_GE(terms["h0"], 11);
    EXPECT_GE(terms["h1"], 2);
    EXPECT_GE(terms["h2"], 2);
    EXPECT_GE(terms["h3"], 1);

    arguments.insert(arguments.end(), {"--format", "tsv"});
    std::vector<std::string> tsvRows;
    for (const std::vector<std::string>& fields : testing::tsvRows(chartTool(arguments).out)) {
        if (fields.size() >= 7 && fields[6].size() == 2 && fields[6][0] == 'h') {
            ASSERT_EQ(fields.size(), 9u) << fields[5];
            std::ostringstream row;
            row << fields[0] << ' ' << fields[1] << ' ' << fields[6] << ' ' << fields[5] << " < "
                << fields[7];
            tsvRows.push_back(row.str());
        }
    }
    std::sort(rows.begin(), rows.end());
    std::sort(tsvRows.begin(), tsvRows.end());
    EXPECT_EQ(tsvRows, rows);

    // Lines of products that are one class, and of sums; the legend shows
    // one of the latter. Up to t = 12 every product of the sphere is one
    // class.
    arguments = sphere;
    arguments.insert(arguments.end(), {"--products", "--format", "svg", "--uncut"});
    const std::string svg = chartTool(arguments).out;
    EXPECT_EQ(occurrences(svg, "<line class=\"h0\""), static_cast<std::size_t>(terms["h0"]));
    EXPECT_EQ(occurrences(svg, "<line class=\"h1\""), static_cast<std::size_t>(terms["h1"]));
    EXPECT_EQ(occurrences(svg, "<line class=\"h2\""), static_cast<std::size_t>(terms["h2"]));
    EXPECT_EQ(occurrences(svg, "<line class=\"h3"), 0u);
    EXPECT_EQ(occurrences(svg, " sum\""), 1u);
    arguments.push_back("--h3-lines");
    EXPECT_EQ(occurrences(chartTool(arguments).out, "<line class=\"h3\""),
              static_cast<std::size_t>(terms["h3"]));
}

// Names for the sphere and for spaces: one per survivor, a space's the
// sphere's name of its lambda part on its cell, the same in the JSON, the
// TSV and the picture; the products' names
// are those of their sums; a Massey product's row holds its name.
TEST(ChartTool, NamesAgreeAcrossFormats) {
    const std::vector<std::vector<std::string>> spaces{
        {"--sphere", "--max-degree", "20", "--massey", "h1,h0,h2^2"},
        {"--bottom-cell", "1", "--max-degree", "14"},
        {"--bottom-cell", "-3", "--top-cell", "5", "--max-degree", "14", "--max-filtration", "3"},
    };
    std::map<std::string, std::string> sphereNames; // by monomial, from the first chart
    for (std::vector<std::string> arguments : spaces) {
        const bool sphere = arguments.front() == "--sphere";
        arguments.insert(arguments.end(), {"--names", "--products", "1"});
        const nlohmann::json chart = nlohmann::json::parse(chartTool(arguments).out);
        std::map<std::string, std::string> names; // by monomial
        for (const nlohmann::json& degree : chart.at("degrees")) {
            for (const nlohmann::json& level : degree.at("levels")) {
                ASSERT_EQ(level.at("names").size(), level.at("survivors").size());
                for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                    const std::string word = testing::monomialWords(level.at("survivors")[j]);
                    const std::string name = level.at("names")[j];
                    names[word] = name;
                    // A space's class is named by the sphere's class of its
                    // lambda part, on its cell.
                    nlohmann::json lambdas = level.at("survivors")[j];
                    const std::string cell = std::to_string(lambdas[0].get<int>());
                    lambdas[0] = 0;
                    if (sphere) {
                        sphereNames[word] = name;
                    } else {
                        const std::string base = sphereNames.at(testing::monomialWords(lambdas));
                        const bool sum = base.find(" + ") != std::string::npos;
                        EXPECT_EQ(name, (sum ? "(" + base + ")" : base) + "[" + cell + "]");
                    }
                }
            }
        }
        // A product by h0 or h1 that is one class has that class's name.
        std::size_t single = 0;
        for (const nlohmann::json& degree : chart.at("degrees")) {
            for (const nlohmann::json& level : degree.at("levels")) {
                for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                    for (const char* h : {"h0", "h1"}) {
                        const nlohmann::json& product = level.at("products")[j].at(h);
                        if (!product.is_null() && product.size() == 1) {
                            EXPECT_EQ(level.at("product_names")[j].at(h),
                                      names.at(testing::monomialWords(product[0])));
                            ++single;
                        }
                    }
                }
            }
        }
        EXPECT_GT(single, 10u);
        // The sphere's named basis: the names of an element's survivors, and
        // of their products, add up (mod 2, term by term) to its name and to
        // its products in the named basis.
        std::size_t basis = 0;
        const auto sumOf = [](const nlohmann::json& level, const char* field, const char* h,
                              const nlohmann::json& terms) {
            std::set<std::string> sum;
            for (const nlohmann::json& j : terms) {
                const nlohmann::json& name = h ? level.at(field)[j.get<std::size_t>()].at(h)
                                               : level.at(field)[j.get<std::size_t>()];
                const std::string text = name.get<std::string>();
                for (std::size_t from = 0; from < text.size();) {
                    const std::size_t plus = std::min(text.find(" + ", from), text.size());
                    const std::string term = text.substr(from, plus - from);
                    if (term != "0" && !sum.insert(term).second) {
                        sum.erase(term);
                    }
                    from = plus + 3;
                }
            }
            return sum;
        };
        for (const nlohmann::json& degree : chart.at("degrees")) {
            for (const nlohmann::json& level : degree.at("levels")) {
                ASSERT_EQ(level.contains("basis"), sphere);
                for (std::size_t b = 0; sphere && b < level.at("basis").size(); ++b) {
                    const nlohmann::json& element = level.at("basis")[b];
                    EXPECT_EQ(sumOf(level, "names", nullptr, element.at("terms")),
                              std::set<std::string>{element.at("name").get<std::string>()});
                    const nlohmann::json& product = level.at("basis_products")[b].at("h0");
                    if (!product.is_null()) {
                        EXPECT_EQ(sumOf(level, "product_names", "h0", element.at("terms")),
                                  std::set<std::string>(product.begin(), product.end()));
                    }
                    ++basis;
                }
            }
        }
        EXPECT_EQ(basis, sphere ? names.size() : 0u);
        std::vector<std::string> tsv = arguments;
        tsv.insert(tsv.end(), {"--format", "tsv"});
        std::size_t survivors = 0;
        for (const std::vector<std::string>& row : testing::tsvRows(chartTool(tsv).out)) {
            if (row[6] == "survivor") {
                EXPECT_EQ(row.back(), names.at(row[5]));
                ++survivors;
            }
            if (row[6] == "massey") {
                EXPECT_EQ(row[7] + " " + row.back(), "<h1, h0, h2^2> c0");
            }
            basis -= row[6] == "basis" ? 1u : 0u;
        }
        EXPECT_EQ(survivors, names.size());
        EXPECT_EQ(basis, 0u); // a TSV row per element of the named basis
        std::vector<std::string> svg(arguments.begin(), arguments.begin() + (sphere ? 3 : 0));
        svg.insert(svg.end(), arguments.begin() + (sphere ? 5 : 0), arguments.end());
        svg.insert(svg.end(), {"--format", "svg", "--uncut"});
        // Each beside its dot or in the table under the picture.
        const std::string picture = chartTool(svg).out;
        EXPECT_EQ(occurrences(picture, "<text class=\"name\"") +
                      occurrences(picture, "unplaced-label"),
                  names.size());
    }
}

// The EHP and cells charts, in SVG, the page and LaTeX: one dot per survivor
// and per end of each pairing, one arrow per pairing, the axes as named;
// with --arrows N the EHP chart of a range of stems draws the pairings of
// the classes that live on N spheres or more.
// The names read the products by h_i the chart already holds: they are
// the names read without them, in whole degrees and in a band.
TEST(ChartTool, NamesAreTheSameWithTheChartsProducts) {
    for (std::vector<std::string> arguments : std::vector<std::vector<std::string>>{
             {"--sphere", "--max-degree", "30"},
             {"--sphere", "--max-stem", "40", "--max-filtration", "5"}}) {
        arguments.push_back("--names");
        const nlohmann::json alone = nlohmann::json::parse(chartTool(arguments).out);
        arguments.insert(arguments.end(), {"--products", "3"});
        const nlohmann::json read = nlohmann::json::parse(chartTool(arguments).out);
        ASSERT_EQ(alone.at("degrees").size(), read.at("degrees").size());
        std::size_t named = 0;
        for (std::size_t d = 0; d < alone.at("degrees").size(); ++d) {
            const nlohmann::json& levels = alone.at("degrees")[d].at("levels");
            for (std::size_t l = 0; l < levels.size(); ++l) {
                const nlohmann::json& with = read.at("degrees")[d].at("levels")[l];
                EXPECT_EQ(levels[l].at("names"), with.at("names"));
                EXPECT_EQ(levels[l].at("basis"), with.at("basis"));
                named += levels[l].at("names").size();
            }
        }
        EXPECT_GT(named, 50U);
    }
}

TEST(ChartTool, EhpAndCellsChartsDrawEveryClassAndPairing) {
    const struct {
        std::vector<std::string> space;
        const char* chart;
        const char* pairings; // the JSON's list of them
        const char* axis;
    } cases[] = {
        {{"--sphere", "--max-degree", "14", "--ehp"},
         "ehp",
         "ehp",
         "y: the sphere S^N a class is born on"},
        {{"--bottom-cell", "1", "--max-degree", "12"}, "cells", "arrows", "y: the cell"},
        {{"--bottom-cell", "-3", "--top-cell", "5", "--max-degree", "14", "--max-filtration", "3"},
         "cells",
         "arrows",
         "y: the cell"},
    };
    for (const auto& c : cases) {
        const nlohmann::json chart = nlohmann::json::parse(chartTool(c.space).out);
        std::size_t survivors = 0;
        std::size_t pairings = 0;
        for (const nlohmann::json& degree : chart.at("degrees")) {
            for (const nlohmann::json& level : degree.at("levels")) {
                survivors += level.at("survivors").size();
                pairings += level.at(c.pairings).size();
            }
        }
        EXPECT_GT(pairings, 5u) << c.chart;
        std::vector<std::string> arguments = c.space;
        arguments.insert(arguments.end(), {"--chart", c.chart, "--format", "svg"});
        const std::string svg = chartTool(arguments).out;
        EXPECT_EQ(occurrences(svg, "<circle class=\"class\""), survivors + 2 * pairings);
        EXPECT_EQ(occurrences(svg, "class=\"pairing\""), pairings);
        EXPECT_EQ(occurrences(svg, c.axis), 1u) << c.chart;
        arguments.back() = "html";
        const std::string page = chartTool(arguments).out;
        EXPECT_EQ(occurrences(page, "<circle class=\"class\""), survivors + 2 * pairings);
        EXPECT_EQ(occurrences(page, "class=\"pairing\""), pairings);
        arguments.back() = "tex";
        const std::string tex = chartTool(arguments).out;
        EXPECT_EQ(occurrences(tex, "\\class["), survivors + 2 * pairings);
        EXPECT_EQ(occurrences(tex, "\\structline[->"), pairings);
    }
    const std::vector<std::string> band{"--sphere", "--ehp", "--min-stem", "8", "--max-stem", "16"};
    const nlohmann::json chart = nlohmann::json::parse(chartTool(band).out);
    std::size_t longLived = 0;
    for (const nlohmann::json& degree : chart.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            for (const nlohmann::json& pair : level.at("ehp")) {
                if (pair.at("dies").get<int>() - pair.at("born").get<int>() >= 3) {
                    ++longLived;
                }
            }
        }
    }
    std::vector<std::string> arguments = band;
    arguments.insert(arguments.end(), {"--chart", "ehp", "--arrows", "3", "--format", "svg"});
    EXPECT_EQ(occurrences(chartTool(arguments).out, "class=\"pairing\""), longLived);
    EXPECT_GT(longLived, 3u);
}

// With names, every class of the cells chart, survivor or end of a
// pairing, is labelled by the sphere's name of its lambda part (the ends
// are classes of E1 too, the sphere's on their cells; a source lies one
// level below its target).
TEST(ChartTool, CellsChartNamesEveryClassByItsLambdaPart) {
    const auto lambdaPart = [](const std::string& word) {
        const std::size_t blank = word.find(' ');
        return blank == std::string::npos ? std::string() : word.substr(blank + 1);
    };
    const nlohmann::json sphere =
        nlohmann::json::parse(chartTool({"--sphere", "--max-degree", "14", "--names"}).out);
    std::map<std::string, std::string> names; // by the lambda part, "1 1"
    for (const nlohmann::json& degree : sphere.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                std::string word = printed(level.at("survivors")[j]);
                word.pop_back();
                names[lambdaPart(word)] = level.at("names")[j];
            }
        }
    }
    const std::string opening = "<script type=\"application/json\" id=\"plane-data\">";
    for (const std::vector<std::string>& space : std::vector<std::vector<std::string>>{
             {"--bottom-cell", "1"}, {"--bottom-cell", "-3", "--top-cell", "5"}}) {
        std::vector<std::string> arguments = space;
        arguments.insert(arguments.end(),
                         {"--max-degree", "14", "--names", "--chart", "cells", "--format", "html"});
        const std::string page = chartTool(arguments).out;
        const std::size_t from = page.find(opening) + opening.size();
        const nlohmann::json plane =
            nlohmann::json::parse(page.substr(from, page.find("</script>", from) - from));
        std::size_t named = 0;
        for (const nlohmann::json& dot : plane.at("dots")) {
            const std::string word = dot.at("monomial");
            const std::string lambdas = lambdaPart(word);
            ASSERT_TRUE(names.count(lambdas)) << word;
            EXPECT_EQ(dot.at("label"), names.at(lambdas)) << word;
            named += 1;
        }
        EXPECT_GT(named, 100u) << space[1];
    }
}

// A binary PGM's dark pixels, or -1 if it is none.
long darkPixels(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    long width = 0;
    long height = 0;
    int maximum = 0;
    if (!(in >> magic >> width >> height >> maximum) || magic != "P5" || maximum != 255) {
        return -1;
    }
    in.get();
    long dark = 0;
    for (long i = 0; i < width * height; ++i) {
        dark += in.get() < 128 ? 1 : 0;
    }
    return in ? dark : -1;
}

// The LaTeX charts of the sphere, a space, a band and a range of stems: one
// \class per survivor, one \structline per term of each product by h0, h1
// and h2; --tex-body is the pages alone; the range of 40 stems compiles
// with pdflatex into two pages that are not blank.
TEST(ChartTool, TexChartsHoldEveryClassAndCompile) {
    const std::vector<std::vector<std::string>> charts{
        {"--sphere", "--max-degree", "20", "--names"},
        {"--bottom-cell", "1", "--max-degree", "14"},
        {"--bottom-cell", "-3", "--top-cell", "5", "--max-degree", "14", "--max-filtration", "3"},
        {"--bottom-cell", "1", "--max-stem", "40", "--max-filtration", "3"},
    };
    std::string document;
    for (std::vector<std::string> arguments : charts) {
        arguments.push_back("--products");
        const nlohmann::json chart = nlohmann::json::parse(chartTool(arguments).out);
        std::size_t survivors = 0;
        std::size_t terms = 0;
        for (const nlohmann::json& degree : chart.at("degrees")) {
            for (const nlohmann::json& level : degree.at("levels")) {
                survivors += level.at("survivors").size();
                for (const nlohmann::json& products : level.at("products")) {
                    for (const char* h : {"h0", "h1", "h2"}) {
                        terms += products.at(h).is_null() ? 0 : products.at(h).size();
                    }
                }
            }
        }
        arguments.insert(arguments.end(), {"--format", "tex", "--uncut"});
        const std::string tex = chartTool(arguments).out;
        EXPECT_EQ(occurrences(tex, "\\class["), survivors);
        EXPECT_EQ(occurrences(tex, "\\structline"), terms);
        EXPECT_GT(terms, 10u);
        arguments.push_back("--tex-body");
        const std::string body = chartTool(arguments).out;
        EXPECT_EQ(body.rfind("\\sseqset", 0), 0u);
        EXPECT_EQ(occurrences(body, "\\documentclass"), 0u);
        EXPECT_EQ(occurrences(body, "\\class["), survivors);
        document = tex;
    }
    if (std::system("command -v pdflatex >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") !=
        0) {
        GTEST_SKIP() << "pdflatex or pdftoppm is not installed (texlive-latex-base, "
                        "texlive-pictures, poppler-utils): the LaTeX chart is not compiled";
    }
    testing::TemporaryDirectory directory;
    std::ofstream(directory / "chart.tex") << document;
    testing::ProcessOptions options;
    options.arguments = {"-c", "cd '" + directory.path().string() +
                                   "' && pdflatex -interaction=nonstopmode -halt-on-error "
                                   "chart.tex >/dev/null && grep -q '(2 pages' chart.log && "
                                   "pdftoppm -gray -r 30 -singlefile chart.pdf page"};
    options.timeoutSeconds = 180;
    const ProcessResult compiled = testing::runProcess("/bin/sh", options);
    ASSERT_EQ(compiled.exitStatus, 0) << compiled.err;
    const long dark = darkPixels(directory / "page.pgm");
    EXPECT_GT(dark, 300); // dots, lines and numbers
}

// The readings of classes, for spaces and bands: every cycle's boundary is
// zero in an independent Lambda complex and its first term is its
// survivor; products by the classes h1 and h2 are those by h1 and h2;
// products by h0 .. h5 and by a list of them agree; and TSV rows hold what
// the JSON holds.
TEST(ChartTool, CyclesAndProductsByClassesAgreeEverywhere) {
    const std::vector<std::vector<std::string>> spaces{
        {"--sphere", "--max-degree", "20"},
        {"--bottom-cell", "1", "--max-degree", "16"},
        {"--bottom-cell", "-3", "--top-cell", "5", "--max-degree", "16", "--max-filtration", "3"},
    };
    const std::vector<std::string> readings{"--cycles", "--multiply", "1:1:0", "--multiply",
                                            "3:1:0",    "--products", "5"};
    for (const std::vector<std::string>& space : spaces) {
        std::vector<std::string> arguments = space;
        arguments.insert(arguments.end(), readings.begin(), readings.end());
        const nlohmann::json chart = nlohmann::json::parse(chartTool(arguments).out);
        const int w = chart.at("weight").get<int>();
        std::vector<std::string> listed = space;
        listed.insert(listed.end(), {"--products", "h1,h4"});
        const nlohmann::json some = nlohmann::json::parse(chartTool(listed).out);
        std::map<Word, Chain> memo;
        std::multiset<std::string> rows; // kind, monomial, source, as the TSV writes them
        for (std::size_t d = 0; d < chart.at("degrees").size(); ++d) {
            const nlohmann::json& levels = chart.at("degrees")[d].at("levels");
            for (std::size_t l = 0; l < levels.size(); ++l) {
                const nlohmann::json& level = levels[l];
                for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                    const nlohmann::json& survivor = level.at("survivors")[j];
                    const nlohmann::json& cycle = level.at("cycles")[j];
                    ASSERT_EQ(cycle.at("size").get<std::size_t>(), cycle.at("terms").size());
                    EXPECT_EQ(cycle.at("terms")[0], survivor);
                    Chain boundary;
                    for (const nlohmann::json& term : cycle.at("terms")) {
                        testing::addChain(boundary,
                                          testing::reducedBoundary(term.get<Word>(), w, memo));
                        rows.insert("cycle " + testing::monomialWords(term) + " " +
                                    testing::monomialWords(survivor));
                    }
                    EXPECT_TRUE(boundary.empty()) << printed(survivor);
                    const nlohmann::json& by = level.at("multiplied")[j];
                    const nlohmann::json& products = level.at("products")[j];
                    EXPECT_EQ(by.at("1:1:0"), products.at("h1"));
                    EXPECT_EQ(by.at("3:1:0"), products.at("h2"));
                    EXPECT_EQ(products.size(), 6u);
                    const nlohmann::json& listedProducts =
                        some.at("degrees")[d].at("levels")[l].at("products")[j];
                    EXPECT_EQ(listedProducts.size(), 2u);
                    EXPECT_EQ(listedProducts.at("h1"), products.at("h1"));
                    EXPECT_EQ(listedProducts.at("h4"), products.at("h4"));
                }
            }
        }
        arguments.insert(arguments.end(), {"--format", "tsv"});
        std::multiset<std::string> tsvRows;
        for (const std::vector<std::string>& fields : testing::tsvRows(chartTool(arguments).out)) {
            if (fields.size() == 9 && fields[6] == "cycle") {
                tsvRows.insert("cycle " + fields[5] + " " + fields[7]);
            }
        }
        EXPECT_EQ(tsvRows, rows);
    }
}

// A range of stems is the rectangle of its degrees: the levels of the
// degrees it needs whose stems it asks for, with products that land outside
// left out; the sphere without a band takes the filtrations that Adams'
// vanishing line leaves. Its picture is as wide as its stems and as tall as
// its band.
TEST(ChartTool, ARangeOfStemsIsTheRectangleOfItsDegrees) {
    const struct {
        std::vector<std::string> byStems, byDegrees;
        int first, last, band;
    } cases[] = {
        {{"--sphere", "--max-stem", "20"},
         {"--sphere", "-T", "32", "--max-filtration", "11"},
         0,
         20,
         11},
        {{"--bottom-cell", "1", "--min-stem", "5", "--max-stem", "12", "--max-filtration", "3"},
         {"--bottom-cell", "1", "--min-degree", "5", "-T", "15", "--max-filtration", "3"},
         5,
         12,
         3},
        {{"--bottom-cell", "-3", "--top-cell", "5", "--max-stem", "6", "--max-filtration", "2",
          "--products"},
         {"--bottom-cell", "-3", "--top-cell", "5", "-T", "12", "--max-filtration", "2",
          "--products"},
         -3,
         6,
         2},
    };
    for (const auto& c : cases) {
        const nlohmann::json stems = nlohmann::json::parse(chartTool(c.byStems).out);
        const nlohmann::json degrees = nlohmann::json::parse(chartTool(c.byDegrees).out);
        EXPECT_EQ(stems.at("max_filtration"), c.band);
        EXPECT_EQ(stems.at("max_stem"), c.last);
        ASSERT_EQ(stems.at("degrees").size(), degrees.at("degrees").size());
        std::size_t shown = 0;
        for (std::size_t d = 0; d < degrees.at("degrees").size(); ++d) {
            std::vector<nlohmann::json> expected;
            for (nlohmann::json level : degrees.at("degrees")[d].at("levels")) {
                const int stem = level.at("stem").get<int>();
                if (stem < c.first || stem > c.last) {
                    continue;
                }
                for (nlohmann::json& products : level.value("products", nlohmann::json::array())) {
                    for (auto& [factor, terms] : products.items()) {
                        const int shift = factor == "h1"   ? 1
                                          : factor == "h2" ? 3
                                          : factor == "h3" ? 7
                                                           : 0;
                        if (stem + shift > c.last) {
                            terms = nullptr;
                        }
                    }
                }
                expected.push_back(level);
            }
            shown += expected.size();
            EXPECT_EQ(stems.at("degrees")[d].at("levels"), nlohmann::json(expected)) << d;
        }
        EXPECT_GT(shown, 10u);
        std::vector<std::string> svg = c.byStems;
        svg.insert(svg.end(), {"--format", "svg", "--uncut"});
        const std::string picture = chartTool(svg).out;
        std::ostringstream size;
        size << "width=\"" << 56 + (c.last - c.first) * 40 + 32 + 230 << ".0\" height=\""
             << 48 + c.band * 40 + 64 << ".0\"";
        EXPECT_NE(picture.find(size.str()), std::string::npos) << size.str();
    }
}

// The tower of stem 0 is cut two rows above every other class: the
// picture is that tall, draws the dots below the cut and an arrow on the
// tower, and the page opens at the same cut, which its reader may move.
TEST(ChartTool, TheTowerIsCutAboveEveryOtherClass) {
    for (const std::vector<std::string>& space :
         {std::vector<std::string>{"--sphere", "--max-degree", "30"},
          std::vector<std::string>{"--weight", "0", "--max-degree", "24"}}) {
        const nlohmann::json chart = nlohmann::json::parse(chartTool(space).out);
        int highest = 0;
        std::vector<int> filtrations; // of every survivor
        for (const nlohmann::json& degree : chart.at("degrees")) {
            for (const nlohmann::json& level : degree.at("levels")) {
                const int f = level.at("filtration").get<int>();
                for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                    filtrations.push_back(f);
                    if (level.at("stem").get<int>() != 0) {
                        highest = std::max(highest, f);
                    }
                }
            }
        }
        const int cut = highest + 2;
        std::vector<std::string> arguments = space;
        arguments.insert(arguments.end(), {"--format", "svg"});
        const std::string svg = chartTool(arguments).out;
        EXPECT_EQ(occurrences(svg, "<circle class=\"survivor\""),
                  static_cast<std::size_t>(std::count_if(filtrations.begin(), filtrations.end(),
                                                         [&](int f) { return f <= cut; })));
        EXPECT_EQ(occurrences(svg, "<line class=\"tower\" x1=\"56.0\""), 1u);
        EXPECT_EQ(occurrences(svg, "the tower goes on above filtration " + std::to_string(cut)),
                  1u);
        EXPECT_NE(svg.find("height=\"" + std::to_string(48 + cut * 40 + 64) + ".0\""),
                  std::string::npos);
        arguments.back() = "html";
        EXPECT_NE(chartTool(arguments).out.find("id=\"tower-cut\" min=\"1\" max=\"" +
                                                std::to_string(space[2] == "30" ? 29 : 23) +
                                                "\" value=\"" + std::to_string(cut) + "\""),
                  std::string::npos);
    }
}

TEST(ChartTool, BadArgumentsAreRefusedWithStatusTwo) {
    const testing::TemporaryDirectory directory;
    const std::filesystem::path file = directory / "refused.json";
    const std::vector<std::vector<std::string>> cases{
        {},
        {"--weight", "0"},
        {"--max-degree", "5"},
        {"--weight", "0", "--max-degree", "0"},
        {"--weight", "0", "--max-degree", "256"},
        {"--weight", "1000000001", "--max-degree", "5"},
        {"--weight", "abc", "--max-degree", "5"},
        {"--weight", "1.5", "--max-degree", "5"},
        {"--weight", "0", "--max-degree", "4", "--min-degree", "5"},
        {"--weight", "0", "--max-degree", "4", "--min-degree", "0"},
        {"--weight", "0", "--max-degree", "4", "--format", "pdf"},
        {"--weight", "0", "--max-degree", "4", "--colour"},
        {"--weight", "0", "--max-degree", "4", "stray"},
        {"--max-degree", "4", "--top-cell", "3"},
        {"--weight", "0", "--sphere", "--max-degree", "4"},
        {"--weight", "0", "--bottom-cell", "0", "--max-degree", "4"},
        {"--sphere", "--top-cell", "2", "--max-degree", "4"},
        {"--bottom-cell", "3", "--top-cell", "2", "--max-degree", "4"},
        {"--weight", "-3", "--top-cell", "2", "--max-degree", "4"},
        {"--bottom-cell", "0", "--top-cell", "1000000001", "--max-degree", "4"},
        // Options that would do nothing in this format or without their
        // companion.
        {"--sphere", "--max-degree", "4", "--arrows"},
        {"--sphere", "--max-degree", "4", "--arrows", "--format", "tsv"},
        {"--sphere", "--max-degree", "4", "--format", "svg", "--h3-lines"},
        {"--sphere", "--max-degree", "4", "--products", "--format", "text"},
        {"--sphere", "--max-degree", "4", "--products", "--h3-lines"},
        {"--sphere", "--max-degree", "4", "--cache", ""},
        {"--sphere", "--max-degree", "4", "-o", ""},
        {"--sphere", "--max-degree", "4", "--trust-cache"},
        // Births and unstable charts read the sphere's table, and no more.
        {"--bottom-cell", "1", "--max-degree", "4", "--ehp"},
        {"--weight", "0", "--max-degree", "4", "--unstable", "3"},
        {"--sphere", "--max-degree", "4", "--ehp", "--format", "text"},
        {"--sphere", "--max-degree", "4", "--unstable", "3", "--ehp"},
        {"--sphere", "--max-degree", "4", "--unstable", "3", "--format", "svg", "--arrows"},
        {"--sphere", "--max-degree", "4", "--unstable", "0"},
        // The transfer starts from RP^b or RP^b_+, and shows in JSON and TSV.
        {"--bottom-cell", "2", "--max-degree", "4", "--transfer"},
        {"--weight", "3", "--max-degree", "4", "--transfer"},
        {"--bottom-cell", "1", "--max-degree", "4", "--transfer", "--format", "svg"},
        {"--bottom-cell", "1", "--max-degree", "4", "--transfer", "--format", "text"},
        {"--sphere", "--max-degree", "4", "--transfer", "--unstable", "2"},
        // Products by factors and classes there are not, cycles and
        // products by classes where they do not show.
        {"--sphere", "--max-degree", "8", "--products", "h6"},
        {"--sphere", "--max-degree", "8", "--products", "h1,h1"},
        {"--sphere", "--max-degree", "8", "--products", "2", "--format", "svg", "--h3-lines"},
        {"--sphere", "--max-degree", "8", "--products", "4", "--format", "svg"},
        {"--sphere", "--max-degree", "8", "--products", "h0,h5", "--format", "tex"},
        {"--sphere", "--max-degree", "8", "--multiply", "1:1"},
        {"--sphere", "--max-degree", "8", "--multiply", "14:4:0"},
        {"--sphere", "--max-degree", "8", "--multiply", "1:1:1"},
        {"--bottom-cell", "1", "--max-degree", "8", "--max-filtration", "1", "--multiply", "3:2:0"},
        {"--sphere", "--max-degree", "8", "--cycles", "--format", "svg"},
        {"--sphere", "--max-degree", "8", "--unstable", "3", "--cycles"},
        {"--sphere", "--max-degree", "8", "--uncut"},
        // Names, Massey products and periodicity where they cannot be had.
        {"--sphere", "--max-degree", "8", "--names", "--format", "text"},
        {"--sphere", "--max-degree", "8", "--tex-body"},
        {"--sphere", "--max-degree", "8", "--chart", "ehp", "--format", "svg"},
        {"--sphere", "--max-degree", "8", "--ehp", "--chart", "ehp"},
        {"--sphere", "--max-degree", "8", "--chart", "cells", "--format", "svg"},
        {"--sphere", "--max-degree", "8", "--chart", "hopf", "--format", "svg"},
        {"--sphere", "--max-degree", "8", "--unstable", "3", "--periodicity"},
        {"--bottom-cell", "1", "--max-degree", "8", "--massey", "h0,h1,h0"},
        {"--sphere", "--max-degree", "8", "--periodicity", "--format", "svg"},
        {"--sphere", "--max-degree", "8", "--massey", "h0,h1"},
        {"--sphere", "--max-degree", "8", "--massey", "h1,h1,h0"},
        {"--sphere", "--max-degree", "8", "--massey", "h0,h1,q9"},
        {"--sphere", "--max-degree", "8", "--massey", "h0,h1,0:1:1"},
        {"--sphere", "--max-degree", "8", "--massey", "h0^999,h1,h0"},
        {"--sphere", "--max-degree", "8", "--massey", "h0^99999999999,h1,h0"},
        {"--bottom-cell", "1", "--max-degree", "8", "--sq0"},
        {"--sphere", "--max-degree", "8", "--sq0", "--format", "tsv"},
        {"--bottom-cell", "-1", "--max-degree", "8", "--root-invariant"},
        {"--sphere", "--max-degree", "8", "--unstable", "3", "--root-invariant"},
        {"--sphere", "--max-degree", "8", "--root-invariant", "--format", "svg"},
        {"--sphere", "--max-degree", "8", "--root-invariant", "250"},
        // Ranges of stems that cannot be had.
        {"--bottom-cell", "1", "--max-stem", "10"},
        {"--sphere", "--max-stem", "10", "--max-degree", "12"},
        {"--sphere", "--max-stem", "10", "--format", "text"},
        {"--sphere", "--max-degree", "8", "--arrows", "--format", "tex"},
        {"--sphere", "--min-stem", "3"},
        {"--sphere", "--min-stem", "5", "--max-stem", "4"},
        {"--sphere", "--max-stem", "250", "--max-filtration", "10"},
        // What a graph of classes cannot draw.
        {"--sphere", "--max-degree", "8", "--format", "seqsee", "--arrows"},
        {"--sphere", "--max-degree", "8", "--format", "seqsee", "--products", "--h3-lines"},
        {"--sphere", "--max-degree", "8", "--format", "seqsee", "--ehp"},
        {"--sphere", "--max-degree", "8", "--format", "seqsee", "--transfer"},
        // An option mistyped.
        {"--sphere", "--max-degre", "30"},
        // Options given twice.
        {"--sphere", "--max-degree", "4", "-T", "5"},
        {"--sphere", "--sphere", "--max-degree", "4"},
        {"--bottom-cell", "1", "--max-degree", "4", "--bottom-cell", "2"},
    };
    for (std::vector<std::string> arguments : cases) {
        arguments.push_back("--output");
        arguments.push_back(file.string());
        const ProcessResult result = chartTool(arguments);
        EXPECT_EQ(result.exitStatus, 2) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(occurrences(result.err, "\n"), 1u) << result.err;
        EXPECT_EQ(result.err.rfind("curtis-chart: ", 0), 0u) << result.err;
        EXPECT_FALSE(std::filesystem::exists(file));
        // One that speaks of a format names the one given.
        const auto format = std::find(arguments.begin(), arguments.end(), "--format");
        if (format != arguments.end() && result.err.find(" format") != std::string::npos) {
            EXPECT_NE(result.err.find(*(format + 1)), std::string::npos) << result.err;
        }
    }
    // An option given twice is named in the program's own words.
    const ProcessResult twice = chartTool({"--sphere", "-T", "4", "--max-degree", "5"});
    EXPECT_EQ(twice.err, "curtis-chart: --max-degree was given more than once; give it once "
                         "(see --help)\n");
    // A mistyped option is named with the one it is near, if any.
    const std::pair<std::vector<std::string>, std::string> unknown[] = {
        {{"--max-degre", "30"}, "--max-degre is not an option; did you mean --max-degree?"},
        {{"--max-degree", "8", "--max-stme=3"},
         "--max-stme is not an option; did you mean --max-stem?"},
        {{"--max-degree", "8", "--nmaes"}, "--nmaes is not an option; did you mean --names?"},
        {{"--max-degree", "8", "--out", "x"}, "--out is not an option; did you mean --output?"},
        {{"--max-degree", "8", "--min"}, "The following argument was not expected: --min"},
        {{"--max-degree", "8", "--colour"}, "The following argument was not expected: --colour"},
    };
    for (const auto& [arguments, message] : unknown) {
        std::vector<std::string> given{"--sphere"};
        given.insert(given.end(), arguments.begin(), arguments.end());
        EXPECT_EQ(chartTool(given).err, "curtis-chart: " + message + " (see --help)\n");
    }
    const ProcessResult version = chartTool({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, std::string("curtis-chart ") + CURTIS_VERSION + "\n");
    const ProcessResult help = chartTool({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    for (const char* option :
         {"--weight", "--max-degree", "--min-degree", "--format", "--output"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
}

// Memory that cannot be had while the chart is built ends the run with one
// line and the storage status, and leaves no named file behind: the
// allocation made at each of several points late in a run fails, on one
// thread and on several. Every allocation takes a number of its own, so the
// K-th fails exactly once. On one thread the count is the same every run,
// so the last points lie just before the end; on several it varies by some
// hundreds with what the workers find done, so they are kept a tenth before.
TEST(ChartTool, AnAllocationFailureLeavesNoFile) {
    for (const char* threads : {"1", "3"}) {
        const std::vector<std::string> arguments{"--sphere", "--max-degree", "20", "--threads",
                                                 threads};
        std::vector<std::string> counting{"--count-allocations"};
        counting.insert(counting.end(), arguments.begin(), arguments.end());
        ProcessOptions options;
        options.arguments = counting;
        const ProcessResult counted = runProcess(CHART_TOOL_SEAM_EXECUTABLE, options);
        ASSERT_EQ(counted.exitStatus, 0) << counted.err;
        const long long total = std::stoll(counted.err.substr(counted.err.find(' ') + 1));
        const bool one = std::string(threads) == "1";
        for (const long long failing : {total / 2, total * 3 / 4, one ? total - 300 : total * 7 / 8,
                                        one ? total - 150 : total * 9 / 10}) {
            const testing::TemporaryDirectory directory;
            options.arguments = {"--fail-allocation", std::to_string(failing)};
            options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
            options.arguments.insert(options.arguments.end(),
                                     {"--output", (directory / "chart.json").string()});
            const ProcessResult failed = runProcess(CHART_TOOL_SEAM_EXECUTABLE, options);
            EXPECT_EQ(failed.exitStatus, 255) << threads << " " << failing << ": " << failed.err;
            EXPECT_EQ(failed.err, "Error: fail to allocate memory!\n") << threads << " " << failing;
            EXPECT_TRUE(directory.files().empty()) << threads << " " << failing;
        }
    }
}

TEST(ChartTool, AFailedRunLeavesNoFileAndACompleteOneItsWholeOutput) {
    const testing::TemporaryDirectory directory;
    const std::filesystem::path file = directory / "chart.txt";

    // The process can obtain less than the computation comes to hold.
    ProcessOptions scarce;
    scarce.arguments = {"--obtainable", "20000",    "--weight", "0",        "--max-degree",
                        "30",           "--format", "text",     "--output", file.string()};
    const ProcessResult failed = runProcess(CHART_TOOL_SEAM_EXECUTABLE, scarce);
    EXPECT_EQ(failed.exitStatus, 255);
    EXPECT_EQ(failed.err.rfind("Error: fail to allocate memory!\nThe computation needs ", 0), 0u)
        << failed.err;
    EXPECT_NE(failed.err.find("the process can obtain 20000 (limited by the available memory)"),
              std::string::npos)
        << failed.err;
    EXPECT_TRUE(directory.files().empty());

    const ProcessResult missing = chartTool(
        {"--weight", "0", "--max-degree", "3", "--output", (directory / "no/such/x").string()});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("cannot create"), std::string::npos) << missing.err;

    const ProcessResult written = chartTool(
        {"--weight", "2", "--max-degree", "9", "--format", "text", "--output", file.string()});
    EXPECT_EQ(written.exitStatus, 0);
    EXPECT_EQ(directory.files(), std::vector<std::string>{"chart.txt"});
    std::ifstream stream(file);
    const std::string text((std::istreambuf_iterator<char>(stream)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(text, chartTool({"--weight", "2", "--max-degree", "9", "--format", "text"}).out);
}

} // namespace
} // namespace curtis

namespace curtis {
namespace {

// A band of filtrations in every format: the JSON says so and holds the
// whole chart's first levels, products are null exactly at the top
// filtration of the band, the text has its sections; a degree too large for
// a degree beyond the entries' reach is refused, a band far out is not.
TEST(ChartTool, ABandOfFiltrations) {
    const std::vector<std::string> sphere{"--sphere", "--max-degree", "20", "--products"};
    std::vector<std::string> banded = sphere;
    banded.insert(banded.end(), {"--max-filtration", "3"});
    const nlohmann::json whole = nlohmann::json::parse(chartTool(sphere).out);
    const nlohmann::json band = nlohmann::json::parse(chartTool(banded).out);
    EXPECT_EQ(band.at("max_filtration"), 3);
    EXPECT_FALSE(whole.contains("max_filtration"));
    for (std::size_t d = 0; d < band.at("degrees").size(); ++d) {
        const nlohmann::json& levels = band.at("degrees")[d].at("levels");
        const int t = band.at("degrees")[d].at("t");
        ASSERT_EQ(levels.size(), static_cast<std::size_t>(std::min(t, 4)));
        for (std::size_t l = 0; l < levels.size(); ++l) {
            const nlohmann::json& level = levels[l];
            const nlohmann::json& full = whole.at("degrees")[d].at("levels")[l];
            EXPECT_EQ(level.at("survivors"), full.at("survivors"));
            for (std::size_t j = 0; j < level.at("products").size(); ++j) {
                for (const char* h : {"h0", "h1", "h2", "h3"}) {
                    const nlohmann::json& product = level.at("products")[j].at(h);
                    if (level.at("filtration") == 3) {
                        EXPECT_TRUE(product.is_null()) << "t " << t;
                    } else {
                        EXPECT_EQ(product, full.at("products")[j].at(h)) << "t " << t;
                    }
                }
            }
        }
    }
    const std::string text =
        chartTool({"--sphere", "--max-degree", "12", "--max-filtration", "3", "--format", "text"})
            .out;
    EXPECT_EQ(occurrences(text, "homological degree"), 1u + 2 + 3 + 4 * 9);
    EXPECT_EQ(occurrences(text, "Computation finished!"), 12u);

    // Degrees end where entries outgrow their bytes; a band reaches as far.
    const std::string beyond = std::to_string(maxTotalDegree + 1);
    const ProcessResult refused = chartTool({"--bottom-cell", "1", "--max-degree", beyond});
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_NE(refused.err.find(beyond + " is not a whole number from 1 to " +
                               std::to_string(maxTotalDegree)),
              std::string::npos)
        << refused.err;
    const ProcessResult far = chartTool({"--bottom-cell", "1", "--min-degree", "120",
                                         "--max-degree", "120", "--max-filtration", "1"});
    EXPECT_EQ(far.exitStatus, 0) << far.err;
}

} // namespace
} // namespace curtis
