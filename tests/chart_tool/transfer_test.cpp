// The algebraic transfer from RP^∞ to the sphere against what is known of
// it: it is onto in every positive stem, and it sends the bottom classes on
// the cells e^(2^j - 1) to h_j.
#include "support/chart_json.hpp"
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace curtis {
namespace {

using testing::chartTool;

nlohmann::json chart(std::vector<std::string> arguments) {
    const testing::ProcessResult result = chartTool(arguments);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return nlohmann::json::parse(result.out);
}

// The rank over F2 of a set of vectors, each the set of its coordinates.
std::size_t rank(std::vector<std::vector<bool>> rows) {
    std::size_t rank = 0;
    const std::size_t columns = rows.empty() ? 0 : rows.front().size();
    for (std::size_t c = 0; c < columns && rank < rows.size(); ++c) {
        std::size_t pivot = rank;
        while (pivot < rows.size() && !rows[pivot][c]) {
            ++pivot;
        }
        if (pivot == rows.size()) {
            continue;
        }
        std::swap(rows[rank], rows[pivot]);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r != rank && rows[r][c]) {
                for (std::size_t e = 0; e < columns; ++e) {
                    rows[r][e] = rows[r][e] != rows[rank][e];
                }
            }
        }
        ++rank;
    }
    return rank;
}

// In every bidegree of the sphere of positive stem up to t = 22, the images
// of RP^∞'s classes up to t = 20 span the sphere's classes; the chart's
// "sphere" holds those classes, each with the classes that map to it.
TEST(Transfer, IsOntoInPositiveStems) {
    const nlohmann::json rp = chart({"--bottom-cell", "1", "--max-degree", "20", "--transfer"});
    const nlohmann::json sphere = chart({"--sphere", "--max-degree", "22"});
    // The sphere's survivors by (t, s), and RP^∞'s images by the (t, s) of
    // the sphere they land in: t + 2, s + 1.
    std::map<std::pair<int, int>, nlohmann::json> classes;
    std::map<std::pair<int, int>, std::vector<nlohmann::json>> images;
    std::map<std::pair<std::pair<int, int>, nlohmann::json>, nlohmann::json> inverse;
    for (const nlohmann::json& degree : sphere.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            classes[{degree.at("t"), level.at("s")}] = level.at("survivors");
        }
    }
    for (const nlohmann::json& degree : rp.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            ASSERT_EQ(level.at("transfer").size(), level.at("survivors").size());
            const std::pair<int, int> at{degree.at("t").get<int>() + 2,
                                         level.at("s").get<int>() + 1};
            for (std::size_t j = 0; j < level.at("transfer").size(); ++j) {
                images[at].push_back(level.at("transfer")[j]);
                for (const nlohmann::json& term : level.at("transfer")[j]) {
                    inverse[{at, term}].push_back(level.at("survivors")[j]);
                }
            }
        }
    }
    int checked = 0;
    for (const auto& [bidegree, survivors] : classes) {
        const auto [t, s] = bidegree;
        if (t < 3 || t - s <= 0 || survivors.empty()) {
            continue; // stem 0, or beyond RP^∞'s degrees
        }
        std::vector<std::vector<bool>> rows;
        for (const nlohmann::json& image : images[bidegree]) {
            std::vector<bool> row(survivors.size(), false);
            for (const nlohmann::json& term : image) {
                std::size_t column = 0;
                while (column < survivors.size() && survivors[column] != term) {
                    ++column;
                }
                ASSERT_LT(column, survivors.size()) << term << " is no survivor of the sphere";
                row[column] = true;
            }
            rows.push_back(row);
        }
        EXPECT_EQ(rank(rows), survivors.size()) << "t " << t << " s " << s;
        ++checked;
    }
    EXPECT_GT(checked, 30);
    std::size_t inverted = 0;
    for (const nlohmann::json& degree : rp.at("sphere")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            const std::pair<int, int> at{degree.at("t"), level.at("s")};
            EXPECT_EQ(level.at("survivors"), classes[at]);
            for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                const auto found = inverse.find({at, level.at("survivors")[j]});
                EXPECT_EQ(level.at("transfer_from")[j],
                          found == inverse.end() ? nlohmann::json::array() : found->second);
                inverted += found != inverse.end();
            }
        }
    }
    EXPECT_EQ(inverted, inverse.size());
}

// e^1, e^3 and e^7 of RP^∞ go to h1, h2 and h3; e^0 of RP^∞_+ goes to h0;
// the table lists the same images as the JSON.
TEST(Transfer, TheBottomClassesGoToTheHopfClassesInEveryFormat) {
    const nlohmann::json rp = chart({"--bottom-cell", "1", "--max-degree", "7", "--transfer"});
    std::map<int, nlohmann::json> bottom; // by cell: the image of the class of filtration 0
    for (const nlohmann::json& degree : rp.at("degrees")) {
        const nlohmann::json& level = degree.at("levels").at(0);
        if (!level.at("survivors").empty()) {
            bottom[level.at("survivors")[0][0].get<int>()] = level.at("transfer")[0];
        }
    }
    EXPECT_EQ(bottom[1], (nlohmann::json{{0, 1}}));
    EXPECT_EQ(bottom[3], (nlohmann::json{{0, 3}}));
    EXPECT_EQ(bottom[7], (nlohmann::json{{0, 7}}));
    const nlohmann::json plus = chart({"--bottom-cell", "0", "--max-degree", "1", "--transfer"});
    EXPECT_EQ(plus.at("degrees")[0].at("levels")[0].at("transfer"), (nlohmann::json{{{0, 0}}}));

    // The TSV rows of kind transfer: the image's bidegree in the sphere, a
    // zero image as an empty monomial, and the source's bidegree last.
    std::vector<std::string> expected;
    for (const nlohmann::json& degree : rp.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            const std::string source = "< " + std::to_string(degree.at("t").get<int>()) + " " +
                                       std::to_string(level.at("s").get<int>()) + " " +
                                       std::to_string(level.at("stem").get<int>()) + " " +
                                       std::to_string(level.at("filtration").get<int>()) + " " +
                                       std::to_string(level.at("internal_degree").get<int>());
            const std::string at = source + " > " + std::to_string(degree.at("t").get<int>() + 2) +
                                   " " + std::to_string(level.at("s").get<int>() + 1) + " ";
            for (const nlohmann::json& image : level.at("transfer")) {
                if (image.empty()) {
                    expected.push_back(at);
                }
                for (const nlohmann::json& term : image) {
                    std::string text = at;
                    for (const nlohmann::json& entry : term) {
                        text += std::to_string(entry.get<int>()) + ' ';
                    }
                    expected.push_back(text);
                }
            }
        }
    }
    const testing::ProcessResult tsv =
        chartTool({"--bottom-cell", "1", "--max-degree", "7", "--transfer", "--format", "tsv"});
    std::vector<std::string> rows;
    for (const std::vector<std::string>& f : testing::tsvRows(tsv.out)) {
        if (f.size() == 14 && f[6] == "transfer") {
            std::string text = "< " + f[9] + " " + f[10] + " " + f[11] + " " + f[12] + " " + f[13] +
                               " > " + f[0] + " " + f[1] + " ";
            std::istringstream entries(f[5]);
            for (std::string entry; entries >> entry;) {
                text += entry + ' ';
            }
            rows.push_back(text);
        }
    }
    EXPECT_EQ(rows, expected);
}

} // namespace
} // namespace curtis
