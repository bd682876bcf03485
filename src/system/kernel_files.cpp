#include "system/kernel_files.hpp"

#include <fstream>

namespace curtis {

std::optional<std::uint64_t> parseWholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

std::vector<std::string> fileWords(const std::string& path, std::size_t limit) {
    std::vector<std::string> words;
    std::ifstream file(path);
    for (std::string word; words.size() < limit && file >> word;) {
        words.push_back(word);
    }
    return words;
}

std::optional<std::uint64_t> fileNumber(const std::string& path) {
    const std::vector<std::string> words = fileWords(path, 1);
    return words.empty() ? std::nullopt : parseWholeNumber(words.front());
}

std::optional<std::uint64_t> keyedNumber(const std::string& path, const std::string& key) {
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        const std::size_t space = line.find_first_of(" \t");
        if (space == std::string::npos) {
            continue;
        }
        std::string name = line.substr(0, space);
        if (!name.empty() && name.back() == ':') {
            name.pop_back();
        }
        if (name != key) {
            continue;
        }
        const std::size_t start = line.find_first_not_of(" \t", space);
        const std::size_t end = line.find_first_of(" \t", start);
        return start == std::string::npos
                   ? std::nullopt
                   : parseWholeNumber(
                         line.substr(start, end == std::string::npos ? end : end - start));
    }
    return std::nullopt;
}

} // namespace curtis
