#pragma once

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace curtis::testing {

// A monomial of the JSON, [1, 2, 1], as the text and TSV write it: "1 2 1".
inline std::string monomialWords(const nlohmann::json& monomial) {
    std::string text;
    for (const nlohmann::json& entry : monomial) {
        if (!text.empty()) {
            text += ' ';
        }
        text += std::to_string(entry.get<int>());
    }
    return text;
}

// A TSV's rows, each its tab-separated fields, the header first.
inline std::vector<std::vector<std::string>> tsvRows(const std::string& tsv) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(tsv);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string field; std::getline(cells, field, '\t');) {
            fields.push_back(field);
        }
        rows.push_back(std::move(fields));
    }
    return rows;
}

} // namespace curtis::testing
