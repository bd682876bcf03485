#include "curtis_chart/chart_formats.hpp"

#include <initializer_list>
#include <string>

namespace curtis {

namespace {

// The chart as tab-separated values, written at the end: a header row
// t, s, stem, filtration, cell, monomial, kind, source, then one row per
// survivor (kind "survivor", source empty) and per arrow (kind "arrow") in
// the chart's order; a monomial is its printed entries separated by blanks.
// With products, after each level's rows, a row per term of each product:
// kind h0 to h3, the term's own bidegree, cell and monomial, and the
// survivor multiplied as source; a product that is zero is one row with an
// empty cell and monomial, and a product that was not computed has no row.
class TsvWriter : public ChartWriter {
public:
    explicit TsvWriter(std::FILE* out) : out_(out) {}

    void end(const PrintedChart& chart) override {
        row({"t", "s", "stem", "filtration", "cell", "monomial", "kind", "source"});
        for (const PrintedDegree& degree : chart.degrees) {
            for (const PrintedLevel& level : degree.levels) {
                for (const PrintedLine& line : level.lines) {
                    monomialRow(degree.t, level, &line.word, line.arrow ? "arrow" : "survivor",
                                line.arrow ? monomialText(line.source) : "");
                }
                productRows(chart, degree, level);
            }
        }
    }

private:
    void productRows(const PrintedChart& chart, const PrintedDegree& degree,
                     const PrintedLevel& level) {
        for (std::size_t j = 0; j < level.products.size(); ++j) {
            const std::string source = monomialText(level.lines[level.survivors[j]].word);
            for (int i = 0; i < 4; ++i) {
                const auto& terms = level.products[j].terms[static_cast<std::size_t>(i)];
                if (!terms) {
                    continue;
                }
                const std::int32_t t = degree.t + (1 << i);
                const PrintedLevel& target = *chart.level(t, level.s + 1);
                const std::string kind = std::string("h") + static_cast<char>('0' + i);
                if (terms->empty()) {
                    monomialRow(t, target, nullptr, kind, source);
                }
                for (const std::size_t term : *terms) {
                    monomialRow(t, target, &target.lines[target.survivors[term]].word, kind,
                                source);
                }
            }
        }
    }

    // A row for a monomial of a level (none: the empty monomial of a zero
    // product): its bidegree, cell, entries, kind and source.
    void monomialRow(std::int32_t t, const PrintedLevel& level, const PrintedMonomial* word,
                     const std::string& kind, const std::string& source) {
        row({std::to_string(t), std::to_string(level.s), std::to_string(level.coweight),
             std::to_string(level.s - 1), word ? std::to_string(word->front()) : "",
             word ? monomialText(*word) : "", kind, source});
    }

    // The fields separated by tabs, then a newline.
    void row(std::initializer_list<std::string> fields) {
        bool first = true;
        for (const std::string& field : fields) {
            if (!first) {
                std::fputc('\t', out_);
            }
            std::fputs(field.c_str(), out_);
            first = false;
        }
        std::fputc('\n', out_);
    }

    std::FILE* out_;
};

} // namespace

std::unique_ptr<ChartWriter> makeTsvWriter(std::FILE* out, const WriterOptions&) {
    return std::make_unique<TsvWriter>(out);
}

} // namespace curtis
