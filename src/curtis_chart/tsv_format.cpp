#include "curtis_chart/formats.hpp"

#include <initializer_list>

namespace curtis {

namespace {

// One row: the fields separated by tabs, then a newline.
void appendRow(std::string& tsv, std::initializer_list<std::string> fields) {
    bool first = true;
    for (const std::string& field : fields) {
        if (!first) {
            tsv += '\t';
        }
        tsv += field;
        first = false;
    }
    tsv += '\n';
}

// A row for a monomial of a level: its bidegree, cell, entries, kind and
// source.
void appendLine(std::string& tsv, std::int32_t t, const PrintedLevel& level,
                const PrintedMonomial& word, const std::string& kind, const std::string& source) {
    appendRow(tsv, {std::to_string(t), std::to_string(level.s), std::to_string(level.coweight),
                    std::to_string(level.s - 1), std::to_string(word.front()), monomialText(word),
                    kind, source});
}

} // namespace

std::string chartTsv(const PrintedChart& chart) {
    std::string tsv;
    appendRow(tsv, {"t", "s", "stem", "filtration", "cell", "monomial", "kind", "source"});
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            for (const PrintedLine& line : level.lines) {
                appendLine(tsv, degree.t, level, line.word, line.arrow ? "arrow" : "survivor",
                           line.arrow ? monomialText(line.source) : "");
            }
            for (std::size_t j = 0; j < level.products.size(); ++j) {
                const PrintedMonomial& source = level.lines[level.survivors[j]].word;
                for (int i = 0; i < 4; ++i) {
                    const auto& terms = level.products[j].terms[static_cast<std::size_t>(i)];
                    if (!terms) {
                        continue;
                    }
                    const std::int32_t t = degree.t + (1 << i);
                    const PrintedLevel& target = *chart.level(t, level.s + 1);
                    for (const std::size_t term : *terms) {
                        appendLine(tsv, t, target, target.lines[target.survivors[term]].word,
                                   std::string("h") + char('0' + i), monomialText(source));
                    }
                }
            }
        }
    }
    return tsv;
}

} // namespace curtis
