#include "chart_tool/suggestion.hpp"

#include <algorithm>
#include <cstddef>

namespace curtis {

namespace {

// The edit distance of a and b, a swap of neighbours one step (the optimal
// string alignment distance): row i of the table holds the distances of
// a's first i characters to each start of b.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    for (std::size_t j = 0; j <= b.size(); ++j) {
        d[0][j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::string nearestOption(const std::string& given, const std::vector<std::string>& known) {
    if (given.rfind("--", 0) != 0 || given.size() < 3) {
        return "";
    }
    const std::string name = given.substr(0, given.find('='));
    std::string nearest;
    std::size_t best = name.size() - 2 <= 5 ? 1 : 2;
    for (const std::string& option : known) {
        // Names that differ in length by more than a slip are not near (and
        // a long argument costs no table).
        const std::size_t longer = std::max(name.size(), option.size());
        if (longer - std::min(name.size(), option.size()) > best) {
            continue;
        }
        // The first of equally near options, in the order given.
        if (const std::size_t distance = editDistance(name, option);
            distance <= best && (nearest.empty() || distance < best)) {
            nearest = option;
            best = distance;
        }
    }
    if (nearest.empty()) {
        // A name cut short: the one option it begins.
        for (const std::string& option : known) {
            if (name.size() >= 5 && option.rfind(name, 0) == 0) {
                if (!nearest.empty()) {
                    return "";
                }
                nearest = option;
            }
        }
    }
    return nearest == name ? "" : nearest;
}

} // namespace curtis
