#include "readings/ehp_reading.hpp"
#include "writers/writers.hpp"

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
// With births (the sphere's EHP reading) two columns follow, born and dies:
// the spheres a class is born and dies on, where the row has them; EHP pairs
// are rows of kind "ehp" after the level's survivors, the target as
// monomial, the class that kills it as source. An unstable target is a
// survivor row with its killer as source. With the transfer, rows of kind
// "transfer" give each survivor's image in the sphere.
class TsvWriter : public ChartWriter {
public:
    explicit TsvWriter(std::FILE* out) : out_(out) {}

    void end(const PrintedChart& chart) override {
        births_ = chart.hasBirths();
        row({"t", "s", "stem", "filtration", "cell", "monomial", "kind", "source"},
            {"born", "dies"});
        for (const PrintedDegree& degree : chart.degrees) {
            for (const PrintedLevel& level : degree.levels) {
                std::size_t j = 0;
                for (const PrintedLine& line : level.lines) {
                    std::string born;
                    std::string dies;
                    if (!line.arrow && births_) {
                        born = std::to_string(level.born[j]);
                        if (j < level.dies.size() && level.dies[j]) {
                            dies = std::to_string(*level.dies[j]);
                        }
                    }
                    j += line.arrow ? 0 : 1;
                    monomialRow(degree.t, level, &line.word, line.arrow ? "arrow" : "survivor",
                                monomialText(line.source), born, dies);
                }
                for (const PrintedEhp& pair : level.ehp) {
                    monomialRow(degree.t, level, &pair.target, "ehp", monomialText(pair.source),
                                std::to_string(pair.born), std::to_string(pair.dies));
                }
                productRows(chart, degree, level);
                transferRows(chart, degree, level);
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
                    monomialRow(t, target, nullptr, kind, source, "", "");
                }
                for (const std::size_t term : *terms) {
                    const PrintedMonomial& word = target.lines[target.survivors[term]].word;
                    monomialRow(t, target, &word, kind, source,
                                births_ ? std::to_string(birthSphere(word)) : "", "");
                }
            }
        }
    }

    // The image of each survivor under the transfer: a row per term, of kind
    // "transfer", at its own bidegree in the sphere, the survivor as source;
    // a zero image is one row with an empty cell and monomial.
    void transferRows(const PrintedChart& chart, const PrintedDegree& degree,
                      const PrintedLevel& level) {
        const std::int32_t t = degree.t + 1 - chart.weight;
        PrintedLevel target; // the bidegree in the sphere: same stem, s + 1
        target.s = level.s + 1;
        target.coweight = t - target.s;
        for (std::size_t j = 0; j < level.transfer.size(); ++j) {
            const std::string source = monomialText(level.lines[level.survivors[j]].word);
            const std::vector<const PrintedMonomial*> image =
                chart.transferImage(degree.t, level, j);
            if (image.empty()) {
                monomialRow(t, target, nullptr, "transfer", source, "", "");
            }
            for (const PrintedMonomial* term : image) {
                monomialRow(t, target, term, "transfer", source, "", "");
            }
        }
    }

    // A row for a monomial of a level (none: the empty monomial of a zero
    // product): its bidegree, cell, entries, kind and source, and with
    // births the spheres it is born and dies on.
    void monomialRow(std::int32_t t, const PrintedLevel& level, const PrintedMonomial* word,
                     const std::string& kind, const std::string& source, const std::string& born,
                     const std::string& dies) {
        row({std::to_string(t), std::to_string(level.s), std::to_string(level.coweight),
             std::to_string(level.s - 1), word ? std::to_string(word->front()) : "",
             word ? monomialText(*word) : "", kind, source},
            {born, dies});
    }

    // The fields separated by tabs, then a newline; the birth fields only
    // in a chart with births.
    void row(std::initializer_list<std::string> fields,
             std::initializer_list<std::string> birthFields) {
        bool first = true;
        for (const auto& list : {fields, birthFields}) {
            if (!first && !births_) {
                break;
            }
            for (const std::string& field : list) {
                if (!first) {
                    std::fputc('\t', out_);
                }
                std::fputs(field.c_str(), out_);
                first = false;
            }
        }
        std::fputc('\n', out_);
    }

    std::FILE* out_;
    bool births_ = false;
};

} // namespace

std::unique_ptr<ChartWriter> makeTsvWriter(std::FILE* out, const WriterOptions&) {
    return std::make_unique<TsvWriter>(out);
}

} // namespace curtis
