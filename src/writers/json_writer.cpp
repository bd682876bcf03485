#include "writers/json_emitter.hpp"
#include "writers/writers.hpp"

namespace curtis {

// The chart as JSON, written at the end straight to the stream:
//   {"weight": W, "bottom_cell": -W, "top_cell": B or null,
//    "degrees": [{"t": t, "levels": [{"s": s,
//     "topological_degree": t - s, "coweight": t - W - s, "stem": t - W - s,
//     "filtration": s - 1, "internal_degree": stem + s - 1,
//     "survivors": [[c, l1, ...], ...],
//     "arrows": [{"target": [...], "source": [...]}, ...]}, ...]}, ...]}
// with survivors and arrows in the chart's order; with products each level
// also has "products", aligned with "survivors": for each survivor
// {"h0": [...], "h1": [...], "h2": [...], "h3": [...]}, the monomials of the
// survivors whose sum the product is, null where its degree was not computed.
// With births (the sphere's EHP reading) each level has "born", aligned with
// "survivors", and with --ehp "ehp": [{"target", "source", "born", "dies"}];
// an unstable chart has "unstable": N at the top and "dies" in each level,
// aligned with "survivors", null for a class that lives on every sphere.
// With the transfer each level has "transfer", aligned with "survivors": the
// sphere's survivors whose sum the image is, as the sphere's chart writes
// them ([] for zero). A band of filtrations 0 .. F has "max_filtration": F at
// the top, and only those levels.
void writeChartJson(std::FILE* out, const PrintedChart& chart) {
    JsonEmitter json(out);
    json.beginObject();
    json.key("weight");
    json.value(chart.weight);
    json.key("bottom_cell");
    json.value(-static_cast<long long>(chart.weight));
    json.key("top_cell");
    if (chart.topCell) {
        json.value(*chart.topCell);
    } else {
        json.null();
    }
    if (chart.maxFiltration) {
        json.key("max_filtration");
        json.value(*chart.maxFiltration);
    }
    if (chart.unstable) {
        json.key("unstable");
        json.value(*chart.unstable);
    }
    json.key("degrees");
    json.beginArray();
    for (const PrintedDegree& degree : chart.degrees) {
        json.beginObject();
        json.key("t");
        json.value(degree.t);
        json.key("levels");
        json.beginArray();
        for (const PrintedLevel& level : degree.levels) {
            json.beginObject();
            json.key("s");
            json.value(level.s);
            json.key("topological_degree");
            json.value(level.topologicalDegree);
            json.key("coweight");
            json.value(level.coweight);
            json.key("stem");
            json.value(level.coweight);
            json.key("filtration");
            json.value(level.s - 1);
            json.key("internal_degree");
            json.value(level.coweight + level.s - 1);
            json.key("survivors");
            json.beginArray();
            for (const PrintedLine& line : level.lines) {
                if (!line.arrow) {
                    json.numbers(line.word);
                }
            }
            json.endArray();
            if (chart.hasBirths()) {
                json.key("born");
                json.numbers(level.born);
            }
            if (chart.unstable) {
                json.key("dies");
                json.beginArray();
                for (const std::optional<int>& dies : level.dies) {
                    dies ? json.value(*dies) : json.null();
                }
                json.endArray();
            }
            json.key("arrows");
            json.beginArray();
            for (const PrintedLine& line : level.lines) {
                if (line.arrow) {
                    json.beginObject();
                    json.key("target");
                    json.numbers(line.word);
                    json.key("source");
                    json.numbers(line.source);
                    json.endObject();
                }
            }
            json.endArray();
            if (chart.hasEhp) {
                json.key("ehp");
                json.beginArray();
                for (const PrintedEhp& pair : level.ehp) {
                    json.beginObject();
                    json.key("target");
                    json.numbers(pair.target);
                    json.key("source");
                    json.numbers(pair.source);
                    json.key("born");
                    json.value(pair.born);
                    json.key("dies");
                    json.value(pair.dies);
                    json.endObject();
                }
                json.endArray();
            }
            if (chart.hasTransfer) {
                json.key("transfer");
                json.beginArray();
                for (std::size_t j = 0; j < level.transfer.size(); ++j) {
                    json.beginArray();
                    for (const PrintedMonomial* term : chart.transferImage(degree.t, level, j)) {
                        json.numbers(*term);
                    }
                    json.endArray();
                }
                json.endArray();
            }
            if (chart.hasProducts) {
                json.key("products");
                json.beginArray();
                for (const PrintedProducts& product : level.products) {
                    json.beginObject();
                    for (int i = 0; i < 4; ++i) {
                        const char* const names[] = {"h0", "h1", "h2", "h3"};
                        json.key(names[i]);
                        const auto& terms = product.terms[static_cast<std::size_t>(i)];
                        if (!terms) {
                            json.null();
                            continue;
                        }
                        const PrintedLevel* target = chart.level(degree.t + (1 << i), level.s + 1);
                        json.beginArray();
                        for (const std::size_t term : *terms) {
                            json.numbers(target->lines[target->survivors[term]].word);
                        }
                        json.endArray();
                    }
                    json.endObject();
                }
                json.endArray();
            }
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.endObject();
    std::fputc('\n', out);
}

namespace {

class JsonWriter : public ChartWriter {
public:
    explicit JsonWriter(std::FILE* out) : out_(out) {}
    void end(const PrintedChart& chart) override { writeChartJson(out_, chart); }

private:
    std::FILE* out_;
};

} // namespace

std::unique_ptr<ChartWriter> makeJsonWriter(std::FILE* out, const WriterOptions&) {
    return std::make_unique<JsonWriter>(out);
}

} // namespace curtis
