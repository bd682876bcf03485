// --format seqsee: every chart valid under the format's schema (the
// project's copy, with Debian's python3-jsonschema), and its nodes and edges
// exactly the classes, products and pairings of the JSON of the same chart;
// the sphere with names keyed and placed as the literature's chart is.
#include "support/chart_json.hpp"
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace curtis {
namespace {

using testing::chartTool;
using testing::monomialWords;
using Edges = std::multiset<std::pair<std::string, std::string>>;

// The errors of the chart under the schema, one a line; none when valid.
std::string schemaErrors(const std::string& chart) {
    testing::ProcessOptions python;
    python.arguments = {
        "-c",
        "import json, sys, jsonschema\n"
        "schema = json.load(open(sys.argv[1]))\n"
        "jsonschema.Draft7Validator.check_schema(schema)\n"
        "for e in jsonschema.Draft7Validator(schema).iter_errors(json.load(sys.stdin)):\n"
        "    print(e.message)\n",
        SEQSEE_SCHEMA};
    python.input = chart;
    const testing::ProcessResult result = testing::runProcess(JSONSCHEMA_PYTHON3, python);
    return result.exitStatus == 0 ? result.out : "python3 failed: " + result.err;
}

// The literature's classes by key, at (stem, filtration): the project's
// copy of its chart.
std::map<std::string, std::pair<int, int>> literaturePlaces() {
    std::map<std::string, std::pair<int, int>> places;
    std::ifstream in(LITERATURE_CHART);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind, key, stem, filtration;
        if (std::getline(fields, kind, '\t') && kind == "class" &&
            std::getline(fields, key, '\t') && std::getline(fields, stem, '\t') &&
            std::getline(fields, filtration, '\t')) {
            places[key] = {std::stoi(stem), std::stoi(filtration)};
        }
    }
    // Its arrow from h0^3 stands for the rest of the tower in stem 0.
    for (int k = 4; k <= 64; ++k) {
        places.emplace("h0^" + std::to_string(k), std::pair{0, k});
    }
    return places;
}

TEST(Seqsee, ChartsAreValidAndHoldTheClassesProductsAndPairings) {
    const std::map<std::string, std::pair<int, int>> literature = literaturePlaces();
    ASSERT_GT(literature.size(), 2000u);
    // The arguments, those of the chart drawn, and whether the keys are names.
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> drawn;
        bool keyedByName;
    } cases[] = {
        {{"--sphere", "--max-degree", "20", "--names", "--products"}, {}, true},
        {{"-a", "1", "-T", "18", "--max-filtration", "4", "--products", "--names"}, {}, false},
        {{"--sphere", "--max-degree", "16", "--unstable", "3", "--products"}, {}, false},
        {{"--sphere", "--max-stem", "16", "--products", "h0,h4"}, {}, false},
        {{"--bottom-cell", "1", "--top-cell", "6", "-T", "12"}, {"--chart", "cells"}, false},
    };
    for (const auto& [arguments, drawn, keyedByName] : cases) {
        std::vector<std::string> given = arguments;
        given.insert(given.end(), drawn.begin(), drawn.end());
        given.insert(given.end(), {"--format", "seqsee"});
        const testing::ProcessResult result = chartTool(given);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(schemaErrors(result.out), "") << arguments[0];
        const nlohmann::json seqsee = nlohmann::json::parse(result.out);
        EXPECT_EQ(seqsee.at("header").at("metadata").at("version"), CURTIS_VERSION);
        std::vector<nlohmann::json> levels;
        const nlohmann::json chart = nlohmann::json::parse(chartTool(arguments).out);
        for (const nlohmann::json& degree : chart.at("degrees")) {
            levels.insert(levels.end(), degree.at("levels").begin(), degree.at("levels").end());
        }
        // The Adams chart: a node per class, an edge per term of a product;
        // the cells chart: an edge per pairing, its ends keyed by monomials.
        std::map<std::string, std::string> keys; // by monomial
        Edges expected, edges;
        std::size_t classes = 0, arrowEnds = 0;
        for (const nlohmann::json& level : keyedByName ? levels : std::vector<nlohmann::json>()) {
            // The sphere with names: its named basis, keyed as the literature keys it.
            classes += level.at("basis").size();
            for (std::size_t j = 0; j < level.at("basis").size(); ++j) {
                const nlohmann::json& named = level.at("basis")[j];
                const std::string name = named.at("name");
                const nlohmann::json& node = seqsee.at("nodes").at(name);
                EXPECT_EQ(node.at("label"), named.at("label"));
                const auto place = literature.find(name);
                ASSERT_NE(place, literature.end()) << name;
                EXPECT_EQ(node.at("x"), place->second.first);
                EXPECT_EQ(node.at("y"), place->second.second);
                for (const auto& [factor, terms] : level.at("basis_products")[j].items()) {
                    for (const nlohmann::json& term :
                         terms.is_null() ? nlohmann::json::array() : terms) {
                        expected.insert({name, term.get<std::string>()});
                    }
                }
            }
        }
        for (const nlohmann::json& level : keyedByName ? std::vector<nlohmann::json>() : levels) {
            classes += level.at("survivors").size();
            const int stem = level.at("stem"), filtration = level.at("filtration");
            for (std::size_t j = 0; drawn.empty() && j < level.at("survivors").size(); ++j) {
                const std::string word = monomialWords(level.at("survivors")[j]);
                const std::string name = level.contains("names") ? level.at("names")[j] : "";
                keys[word] = std::to_string(stem) + ":" + std::to_string(filtration) + ":" +
                             std::to_string(j);
                const nlohmann::json& node = seqsee.at("nodes").at(keys[word]);
                EXPECT_EQ(node.at("x"), stem);
                EXPECT_EQ(node.at("y"), filtration);
                EXPECT_EQ(node.at("label"), name.empty() ? word : name);
            }
            for (const nlohmann::json& arrow :
                 drawn.empty() ? nlohmann::json() : level.at("arrows")) {
                expected.insert(
                    {monomialWords(arrow.at("source")), monomialWords(arrow.at("target"))});
                arrowEnds += 2;
            }
        }
        // The cells chart's classes: the survivors and both ends of each pairing.
        EXPECT_EQ(seqsee.at("nodes").size(), classes + arrowEnds);
        for (const nlohmann::json& level : keyedByName ? std::vector<nlohmann::json>() : levels) {
            for (std::size_t j = 0; level.contains("products") && j < level.at("products").size();
                 ++j) {
                for (const auto& [factor, terms] : level.at("products")[j].items()) {
                    for (const nlohmann::json& term :
                         terms.is_null() ? nlohmann::json::array() : terms) {
                        expected.insert({keys.at(monomialWords(level.at("survivors")[j])),
                                         keys.at(monomialWords(term))});
                    }
                }
            }
        }
        for (const nlohmann::json& edge : seqsee.at("edges")) {
            edges.insert(
                {edge.at("source").get<std::string>(), edge.at("target").get<std::string>()});
        }
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(edges, expected);
    }
}

} // namespace
} // namespace curtis
