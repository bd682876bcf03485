// --format seqsee: every chart valid under the format's schema (the
// project's copy, with Debian's python3-jsonschema), and its nodes and edges
// exactly the classes, products and pairings of the JSON of the same chart.
#include "support/chart_json.hpp"
#include "support/chart_tool_process.hpp"
#include "support/temporary_directory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace curtis {
namespace {

using testing::chartTool;
using testing::monomialWords;
using Edges = std::multiset<std::pair<std::string, std::string>>;

// The errors of the chart under the schema, one a line; none when valid.
std::string schemaErrors(const std::string& chart) {
    const testing::TemporaryDirectory directory;
    const std::filesystem::path file = directory / "chart.json";
    std::ofstream(file) << chart;
    testing::ProcessOptions python;
    python.arguments = {"-c",
                        "import json, sys, jsonschema\n"
                        "schema = json.load(open(sys.argv[1]))\n"
                        "jsonschema.Draft7Validator.check_schema(schema)\n"
                        "for e in jsonschema.Draft7Validator(schema).iter_errors("
                        "json.load(open(sys.argv[2]))):\n"
                        "    print(e.message)\n",
                        SEQSEE_SCHEMA, file.string()};
    const testing::ProcessResult result = testing::runProcess(JSONSCHEMA_PYTHON3, python);
    return result.exitStatus == 0 ? result.out : "python3 failed: " + result.err;
}

// The nodes and edges the JSON of the chart says the Adams chart has.
void expectAdamsChart(const nlohmann::json& chart, const nlohmann::json& seqsee, bool keyedByName) {
    std::map<std::string, std::string> keys; // by monomial
    std::size_t classes = 0;
    for (const nlohmann::json& degree : chart.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            const int stem = level.at("stem"), filtration = level.at("filtration");
            for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                const std::string word = monomialWords(level.at("survivors")[j]);
                const std::string name = level.contains("names") ? level.at("names")[j] : "";
                const std::string key = keyedByName ? name
                                                    : std::to_string(stem) + ":" +
                                                          std::to_string(filtration) + ":" +
                                                          std::to_string(j);
                keys[word] = key;
                const nlohmann::json& node = seqsee.at("nodes").at(key);
                EXPECT_EQ(node.at("x"), stem);
                EXPECT_EQ(node.at("y"), filtration);
                EXPECT_EQ(node.at("label"), name.empty() ? word : name);
                ++classes;
            }
        }
    }
    EXPECT_EQ(seqsee.at("nodes").size(), classes);
    Edges expected, edges;
    for (const nlohmann::json& degree : chart.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            for (std::size_t j = 0; level.contains("products") && j < level.at("products").size();
                 ++j) {
                const std::string source = keys.at(monomialWords(level.at("survivors")[j]));
                for (const auto& [factor, terms] : level.at("products")[j].items()) {
                    for (const nlohmann::json& term :
                         terms.is_null() ? nlohmann::json::array() : terms) {
                        expected.insert({source, keys.at(monomialWords(term))});
                    }
                }
            }
        }
    }
    for (const nlohmann::json& edge : seqsee.at("edges")) {
        edges.insert({edge.at("source").get<std::string>(), edge.at("target").get<std::string>()});
    }
    EXPECT_EQ(edges, expected);
}

TEST(Seqsee, ChartsAreValidAndHoldTheClassesProductsAndPairings) {
    // The arguments, and those of the picture alone (the chart drawn).
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> drawn;
        bool keyedByName;
    } cases[] = {
        {{"--sphere", "--max-degree", "20", "--names", "--products"}, {}, true},
        {{"--bottom-cell", "1", "--max-degree", "18", "--max-filtration", "4", "--products", "2",
          "--names"},
         {},
         false},
        {{"--sphere", "--max-degree", "16", "--unstable", "3", "--products"}, {}, false},
        {{"--sphere", "--max-stem", "16", "--products", "h0,h4"}, {}, false},
        {{"--bottom-cell", "1", "--top-cell", "6", "--max-degree", "12"},
         {"--chart", "cells"},
         false},
    };
    for (const auto& [arguments, drawn, keyedByName] : cases) {
        std::vector<std::string> seqseeArguments = arguments;
        seqseeArguments.insert(seqseeArguments.end(), drawn.begin(), drawn.end());
        seqseeArguments.insert(seqseeArguments.end(), {"--format", "seqsee"});
        const testing::ProcessResult result = chartTool(seqseeArguments);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(schemaErrors(result.out), "") << arguments[0];
        const nlohmann::json seqsee = nlohmann::json::parse(result.out);
        const nlohmann::json chart = nlohmann::json::parse(chartTool(arguments).out);
        EXPECT_EQ(seqsee.at("header").at("metadata").at("version"), CURTIS_VERSION);
        if (drawn.empty()) {
            expectAdamsChart(chart, seqsee, keyedByName);
            continue;
        }
        // The cells chart: an edge from each pairing's source to its target,
        // the classes keyed by their monomials.
        Edges expected, edges;
        for (const nlohmann::json& degree : chart.at("degrees")) {
            for (const nlohmann::json& level : degree.at("levels")) {
                for (const nlohmann::json& arrow : level.at("arrows")) {
                    expected.insert(
                        {monomialWords(arrow.at("source")), monomialWords(arrow.at("target"))});
                }
            }
        }
        for (const nlohmann::json& edge : seqsee.at("edges")) {
            edges.insert(
                {edge.at("source").get<std::string>(), edge.at("target").get<std::string>()});
            EXPECT_EQ(seqsee.at("nodes").at(edge.at("source").get<std::string>()).at("y"),
                      std::stoi(edge.at("source").get<std::string>()));
        }
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(edges, expected);
    }
}

} // namespace
} // namespace curtis
