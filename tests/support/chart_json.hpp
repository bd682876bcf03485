#pragma once

#include <nlohmann/json.hpp>

#include <string>

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

} // namespace curtis::testing
