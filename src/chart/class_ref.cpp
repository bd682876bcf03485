#include "chart/class_ref.hpp"

#include <algorithm>

namespace curtis {

std::optional<int> smallNumber(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoi(text);
}

std::string SphereClassRef::name() const {
    return std::to_string(stem) + ":" + std::to_string(filtration) + ":" + std::to_string(index);
}

std::optional<SphereClassRef> parseClassRef(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const std::string given = text.substr(first, last + 1 - first);
    const std::size_t colon = given.find(':');
    const std::size_t second = colon == std::string::npos ? colon : given.find(':', colon + 1);
    if (second == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<int> stem = smallNumber(given.substr(0, colon));
    const std::optional<int> filtration = smallNumber(given.substr(colon + 1, second - colon - 1));
    const std::optional<int> index = smallNumber(given.substr(second + 1));
    if (!stem || !filtration || !index) {
        return std::nullopt;
    }
    SphereClassRef x;
    x.stem = *stem;
    x.filtration = *filtration;
    x.index = static_cast<std::size_t>(*index);
    return x;
}

bool meantAsClassRef(const std::string& text) {
    return text.find(':') != std::string::npos;
}

} // namespace curtis
