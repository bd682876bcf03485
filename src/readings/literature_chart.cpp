#include "readings/literature_chart.hpp"

#include <algorithm>
#include <cassert>
#include <optional>
#include <sstream>

namespace curtis {

namespace {

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t end = text.find(by); end != std::string::npos; end = text.find(by, from)) {
        fields.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    fields.push_back(text.substr(from));
    return fields;
}

// The power a token ends in ("h0^12" -> 12, with base "h0"); 1 without one,
// 0 for digits that are no power this program reads.
int powerOf(const std::string& token, std::string& base) {
    const std::size_t caret = token.rfind('^');
    base = token;
    if (caret == std::string::npos || caret == 0 || caret + 1 == token.size() ||
        token.find_first_not_of("0123456789", caret + 1) != std::string::npos) {
        return 1;
    }
    base = token.substr(0, caret);
    const std::string digits = token.substr(caret + 1);
    return digits.size() > 6 ? 0 : std::stoi(digits);
}

bool isPrefix(const std::string& token) {
    std::string base;
    return powerOf(token, base) > 0 && (base == "P" || base == "D" || base == "M");
}

void addTower(LiteratureChart& chart) {
    const std::size_t top = chart.byKey.at("h0^3");
    std::size_t below = top;
    for (int k = 4; k <= LiteratureChart::maxTowerFiltration; ++k) {
        const std::string power = std::to_string(k);
        chart.classes.push_back({"h0^" + power, 0, k, 0, "$h_{0}^{" + power + "}$"});
        chart.lines.push_back({below, chart.classes.size() - 1, 0});
        below = chart.classes.size() - 1;
    }
}

LiteratureChart readChart() {
    LiteratureChart chart;
    std::istringstream rows(literatureChartText());
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::string row; std::getline(rows, row);) {
        const std::vector<std::string> f = split(row, '\t');
        if (f.front() == "class" && f.size() == 6) {
            chart.byKey.emplace(f[1], chart.classes.size());
            chart.classes.push_back(
                {f[1], std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4]), f[5]});
        } else if (f.front() == "line" && f.size() == 3) {
            lines.emplace_back(f[1], f[2]);
        } else {
            assert(row.empty() || row.front() == '#');
        }
    }
    for (const auto& [source, target] : lines) {
        const LiteratureClass& from = chart.classes[chart.byKey.at(source)];
        const LiteratureClass& to = chart.classes[chart.byKey.at(target)];
        const int step = to.stem - from.stem;
        assert(to.filtration == from.filtration + 1 && (step == 0 || step == 1 || step == 3));
        chart.lines.push_back(
            {chart.byKey.at(source), chart.byKey.at(target), step == 3 ? 2 : step});
    }
    addTower(chart);
    chart.linesFrom.resize(chart.classes.size());
    for (std::size_t l = 0; l < chart.lines.size(); ++l) {
        chart.linesFrom[chart.lines[l].source].push_back(l);
    }
    for (std::size_t c = 0; c < chart.classes.size(); ++c) {
        chart.byKey.emplace(chart.classes[c].key, c);
        chart.at[{chart.classes[c].stem, chart.classes[c].filtration}].push_back(c);
    }
    return chart;
}

} // namespace

const std::vector<std::size_t>& LiteratureChart::classesAt(int stem, int filtration) const {
    static const std::vector<std::size_t> none;
    const auto found = at.find({stem, filtration});
    return found == at.end() ? none : found->second;
}

const LiteratureChart& literatureChart() {
    static const LiteratureChart chart = readChart();
    return chart;
}

namespace {

// Joins each word's prefixes (none: "") to the first run of words from it on
// that they make one of the literature's classes, or else to the word
// itself; true for the words a run took in.
std::vector<bool> joinPrefixes(std::vector<std::string>& words,
                               const std::vector<std::string>& prefixes) {
    const LiteratureChart& chart = literatureChart();
    std::vector<bool> joined(words.size(), false);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (prefixes[i].empty()) {
            continue;
        }
        bool found = false;
        for (std::size_t length = 1; length + i <= words.size() && !found; ++length) {
            for (std::size_t j = i; j + length <= words.size() && !found; ++j) {
                std::string run = prefixes[i] + words[j];
                bool free = !joined[j] && (j == i || prefixes[j].empty());
                for (std::size_t w = j + 1; w < j + length; ++w) {
                    free = free && !joined[w] && prefixes[w].empty();
                    run += ' ' + words[w];
                }
                if (free && chart.byKey.count(run) != 0) {
                    words[j] = run;
                    std::fill(joined.begin() + static_cast<std::ptrdiff_t>(j) + 1,
                              joined.begin() + static_cast<std::ptrdiff_t>(j + length), true);
                    found = true;
                }
            }
        }
        if (!found) {
            words[i] = prefixes[i] + words[i];
        }
    }
    return joined;
}

// The factors of one product of a name: its words, powers spelled out,
// each run of prefixes joined to the first run of words after it that it
// makes one of the literature's classes ("P h0 h2" is h0 (P h2), "D h1 e0 g"
// is e0 (D h1 g)), or else to the word after it.
std::optional<std::vector<std::string>> productFactors(const std::string& product) {
    std::vector<std::string> words;
    std::vector<std::string> prefixes;
    std::string pending;
    for (const std::string& token : split(product, ' ')) {
        if (token.empty()) {
            continue;
        }
        if (isPrefix(token)) {
            pending += token + ' ';
            continue;
        }
        std::string base;
        const int power = powerOf(token, base);
        if (power < 1) {
            return std::nullopt;
        }
        for (int copy = 0; copy < power; ++copy) {
            words.push_back(base);
            prefixes.push_back(copy == 0 ? pending : "");
        }
        pending.clear();
    }
    if (words.empty() || !pending.empty()) {
        return std::nullopt;
    }
    const std::vector<bool> joined = joinPrefixes(words, prefixes);
    std::vector<std::string> factors;
    for (std::size_t w = 0; w < words.size(); ++w) {
        if (!joined[w]) {
            factors.push_back(words[w]);
        }
    }
    std::sort(factors.begin(), factors.end());
    return factors;
}

} // namespace

std::vector<std::vector<std::string>> nameTerms(const std::string& name) {
    if (name.find(" . ") != std::string::npos) {
        return {{name}};
    }
    std::vector<std::vector<std::string>> terms;
    std::size_t from = 0;
    while (from <= name.size()) {
        const std::size_t plus = std::min(name.find(" + ", from), name.size());
        std::optional<std::vector<std::string>> factors =
            productFactors(name.substr(from, plus - from));
        if (!factors) {
            return {};
        }
        terms.push_back(std::move(*factors));
        from = plus + 3;
    }
    return terms;
}

std::string generatorName(const std::string& name) {
    const std::vector<std::vector<std::string>> terms = nameTerms(name);
    return terms.size() == 1 && terms.front().size() == 1 ? terms.front().front() : "";
}

} // namespace curtis
