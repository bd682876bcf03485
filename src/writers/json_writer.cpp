#include "writers/json_emitter.hpp"
#include "writers/writers.hpp"

namespace curtis {

namespace {

// The classes' monomials, or one field of each class that has it.
void classWords(JsonEmitter& json, const PrintedLevel& level) {
    json.beginArray();
    for (const ChartClass& c : level.classes) {
        json.numbers(c.word);
    }
    json.endArray();
}

void births(JsonEmitter& json, const PrintedChart& chart, const PrintedLevel& level) {
    if (chart.plan.readings.births()) {
        std::vector<int> born;
        for (const ChartClass& c : level.classes) {
            if (c.born) {
                born.push_back(*c.born);
            }
        }
        json.key("born");
        json.numbers(born);
    }
    if (chart.plan.readings.unstable) {
        json.key("dies");
        json.beginArray();
        for (const ChartClass& c : level.classes) {
            c.dies ? json.value(*c.dies) : json.null();
        }
        json.endArray();
    }
}

void arrows(JsonEmitter& json, const PrintedLevel& level) {
    json.key("arrows");
    json.beginArray();
    for (const ChartArrow& arrow : level.arrows) {
        json.beginObject();
        json.key("target");
        json.numbers(arrow.target);
        json.key("source");
        json.numbers(arrow.source);
        json.endObject();
    }
    json.endArray();
}

void ehpPairs(JsonEmitter& json, const PrintedLevel& level) {
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

void transferImages(JsonEmitter& json, const PrintedChart& chart, const PrintedDegree& degree,
                    const PrintedLevel& level) {
    json.key("transfer");
    json.beginArray();
    for (std::size_t j = 0; j < level.classes.size(); ++j) {
        if (!level.classes[j].transfer) {
            continue;
        }
        json.beginArray();
        for (const PrintedMonomial* term : chart.transferImage(degree.t, level, j)) {
            json.numbers(*term);
        }
        json.endArray();
    }
    json.endArray();
}

// A list of words: [] for none.
void wordList(JsonEmitter& json, const std::vector<PrintedMonomial>& words) {
    json.beginArray();
    for (const PrintedMonomial& word : words) {
        json.numbers(word);
    }
    json.endArray();
}

// The image of each class under each map, aligned with the survivors: the
// target's classes as words, [] for zero, null where it was not computed.
void mapImages(JsonEmitter& json, const PrintedChart& chart, const PrintedLevel& level) {
    const std::vector<ChartMap>& maps = chart.plan.readings.maps;
    for (std::size_t x = 0; x < maps.size(); ++x) {
        json.key(maps[x].name().c_str());
        json.beginArray();
        for (const ChartClass& c : level.classes) {
            if (x >= c.maps.size() || !c.maps[x]) {
                json.null();
                continue;
            }
            wordList(json, *c.maps[x]);
        }
        json.endArray();
    }
}

// With --root-invariant, aligned with the survivors: the cell -k that
// detects e(-1) times the class in P_{-N}, the sphere's classes (words)
// whose sum R(x) is, and with names its basis elements (else null); null
// where k > N.
void rootInvariants(JsonEmitter& json, const PrintedLevel& level) {
    json.key("root_invariant");
    json.beginArray();
    for (const ChartClass& c : level.classes) {
        if (!c.rootInvariant) {
            json.null();
            continue;
        }
        json.beginObject();
        json.key("k");
        json.value(c.rootInvariant->k);
        json.key("value");
        wordList(json, c.rootInvariant->value);
        json.key("indeterminacy");
        json.beginArray();
        for (const std::vector<PrintedMonomial>& element : c.rootInvariant->indeterminacy) {
            wordList(json, element);
        }
        json.endArray();
        const auto names = [&](const std::optional<std::vector<std::string>>& given) {
            if (!given) {
                json.null();
                return;
            }
            json.beginArray();
            for (const std::string& name : *given) {
                json.text(name);
            }
            json.endArray();
        };
        json.key("names");
        names(c.names ? c.names->rootInvariant : std::nullopt);
        if (c.names) {
            json.key("indeterminacy_names");
            json.beginArray();
            for (const std::optional<std::vector<std::string>>& element :
                 c.names->rootInvariantIndeterminacy) {
                names(element);
            }
            json.endArray();
        }
        json.endObject();
    }
    json.endArray();
}

// A sum of the classes of a level: their monomials, or null where the
// level was not computed.
void sum(JsonEmitter& json, const PrintedSum& terms, const PrintedLevel* target) {
    if (!terms) {
        json.null();
        return;
    }
    json.beginArray();
    for (const std::size_t term : *terms) {
        json.numbers(target->classes[term].word);
    }
    json.endArray();
}

void products(JsonEmitter& json, const PrintedChart& chart, const PrintedLevel& level) {
    json.key("products");
    json.beginArray();
    for (const ChartClass& c : level.classes) {
        if (!c.products) {
            continue;
        }
        json.beginObject();
        for (const int i : chart.plan.readings.productFactors) {
            const char name[] = {'h', static_cast<char>('0' + i), '\0'};
            json.key(name);
            sum(json, c.products->terms[static_cast<std::size_t>(i)], chart.productLevel(level, i));
        }
        json.endObject();
    }
    json.endArray();
}

void multiplied(JsonEmitter& json, const PrintedChart& chart, const PrintedLevel& level) {
    const std::vector<SphereClassRef>& by = chart.plan.readings.multiply;
    json.key("multiplied");
    json.beginArray();
    for (const ChartClass& c : level.classes) {
        json.beginObject();
        for (std::size_t x = 0; x < by.size(); ++x) {
            json.key(by[x].name().c_str());
            sum(json, c.multiplied[x], chart.productLevel(level, by[x]));
        }
        json.endObject();
    }
    json.endArray();
}

void sq0(JsonEmitter& json, const PrintedChart& chart, std::int32_t t, const PrintedLevel& level) {
    json.key("sq0");
    json.beginArray();
    for (const ChartClass& c : level.classes) {
        sum(json, c.sq0, chart.level(2 * t - 1, level.at.s));
    }
    json.endArray();
}

void basisNames(JsonEmitter& json, const std::optional<BasisSum>& value) {
    if (!value) {
        json.null();
        return;
    }
    json.beginArray();
    for (const std::string& name : value->names) {
        json.text(name);
    }
    json.endArray();
}

// The sphere with names: the level's named basis, each element's name,
// label and the survivors whose sum it is (their indices); with products
// its products by h_i in the named basis, and with --sq0 its Sq^0.
void basis(JsonEmitter& json, const PrintedChart& chart, const PrintedLevel& level) {
    json.key("basis");
    json.beginArray();
    for (const PrintedBasisClass& b : level.basis) {
        json.beginObject();
        json.key("name");
        json.text(b.name);
        json.key("label");
        json.text(b.label);
        json.key("terms");
        json.beginArray();
        for (const std::size_t term : b.terms) {
            json.value(static_cast<long long>(term));
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    if (chart.plan.readings.products) {
        json.key("basis_products");
        json.beginArray();
        for (const PrintedBasisClass& b : level.basis) {
            json.beginObject();
            for (const int i : chart.plan.readings.productFactors) {
                const char name[] = {'h', static_cast<char>('0' + i), '\0'};
                json.key(name);
                basisNames(json, b.products[static_cast<std::size_t>(i)]);
            }
            json.endObject();
        }
        json.endArray();
    }
    if (chart.plan.readings.sq0) {
        json.key("basis_sq0");
        json.beginArray();
        for (const PrintedBasisClass& b : level.basis) {
            basisNames(json, b.sq0);
        }
        json.endArray();
    }
}

void cycles(JsonEmitter& json, const PrintedLevel& level) {
    json.key("cycles");
    json.beginArray();
    for (const ChartClass& c : level.classes) {
        json.beginObject();
        json.key("size");
        json.value(static_cast<long long>(c.cycle.size()));
        json.key("terms");
        wordList(json, c.cycle);
        json.endObject();
    }
    json.endArray();
}

void optionalText(JsonEmitter& json, const std::optional<std::string>& text) {
    text ? json.text(*text) : json.null();
}

// With names: each class's name, and the names of its readings.
void names(JsonEmitter& json, const PrintedChart& chart, const PrintedLevel& level) {
    json.key("names");
    json.beginArray();
    for (const ChartClass& c : level.classes) {
        json.text(c.names ? c.names->name : "");
    }
    json.endArray();
    const Readings& readings = chart.plan.readings;
    if (readings.products) {
        json.key("product_names");
        json.beginArray();
        for (const ChartClass& c : level.classes) {
            json.beginObject();
            for (const int i : readings.productFactors) {
                const char name[] = {'h', static_cast<char>('0' + i), '\0'};
                json.key(name);
                optionalText(json, c.names->products[static_cast<std::size_t>(i)]);
            }
            json.endObject();
        }
        json.endArray();
    }
    if (!readings.multiply.empty()) {
        json.key("multiplied_names");
        json.beginArray();
        for (const ChartClass& c : level.classes) {
            json.beginObject();
            for (std::size_t x = 0; x < readings.multiply.size(); ++x) {
                json.key(readings.multiply[x].name().c_str());
                optionalText(json, c.names->multiplied[x]);
            }
            json.endObject();
        }
        json.endArray();
    }
    if (readings.transfer) {
        json.key("transfer_names");
        json.beginArray();
        for (const ChartClass& c : level.classes) {
            optionalText(json, c.names->transfer);
        }
        json.endArray();
    }
    for (std::size_t x = 0; x < readings.maps.size(); ++x) {
        json.key((readings.maps[x].name() + "_names").c_str());
        json.beginArray();
        for (const ChartClass& c : level.classes) {
            if (x < c.names->maps.size()) {
                optionalText(json, c.names->maps[x]);
            } else {
                json.null();
            }
        }
        json.endArray();
    }
}

// A named value: {"terms": [monomials], "name": "..."}.
void namedSum(JsonEmitter& json, const PrintedChart& chart, const NamedSum& sum) {
    const PrintedLevel* level = chart.level(sum.at.t, sum.at.s);
    json.beginObject();
    json.key("stem");
    json.value(sum.at.stem());
    json.key("filtration");
    json.value(sum.at.filtration());
    json.key("terms");
    json.beginArray();
    for (const std::size_t term : sum.terms) {
        json.numbers(level->classes[term].word);
    }
    json.endArray();
    json.key("name");
    json.text(sum.name);
    json.endObject();
}

// A Massey product's value (null past the chart) and its indeterminacy.
void valueAndIndeterminacy(JsonEmitter& json, const PrintedChart& chart,
                           const std::optional<NamedSum>& value,
                           const std::vector<NamedSum>& indeterminacy) {
    json.key("value");
    value ? namedSum(json, chart, *value) : json.null();
    json.key("indeterminacy");
    json.beginArray();
    for (const NamedSum& element : indeterminacy) {
        namedSum(json, chart, element);
    }
    json.endArray();
}

void periodicity(JsonEmitter& json, const PrintedChart& chart, const PrintedLevel& level) {
    json.key("periodicity");
    json.beginArray();
    for (const ChartClass& c : level.classes) {
        if (!c.periodicity) {
            json.null();
            continue;
        }
        json.beginObject();
        json.key("defined");
        json.boolean(c.periodicity->defined);
        if (c.periodicity->defined) {
            valueAndIndeterminacy(json, chart, c.periodicity->value, c.periodicity->indeterminacy);
        }
        json.endObject();
    }
    json.endArray();
}

void levelJson(JsonEmitter& json, const PrintedChart& chart, const PrintedDegree& degree,
               const PrintedLevel& level) {
    json.beginObject();
    json.key("s");
    json.value(level.at.s);
    json.key("topological_degree");
    json.value(level.at.topologicalDegree());
    json.key("coweight");
    json.value(level.at.stem());
    json.key("stem");
    json.value(level.at.stem());
    json.key("filtration");
    json.value(level.at.filtration());
    json.key("internal_degree");
    json.value(level.at.internalDegree());
    json.key("survivors");
    classWords(json, level);
    births(json, chart, level);
    arrows(json, level);
    if (chart.plan.readings.ehp) {
        ehpPairs(json, level);
    }
    if (chart.plan.readings.transfer) {
        transferImages(json, chart, degree, level);
    }
    mapImages(json, chart, level);
    if (chart.plan.readings.products) {
        products(json, chart, level);
    }
    if (!chart.plan.readings.multiply.empty()) {
        multiplied(json, chart, level);
    }
    if (chart.plan.readings.cycles) {
        cycles(json, level);
    }
    if (chart.plan.readings.sq0) {
        sq0(json, chart, degree.t, level);
    }
    if (chart.plan.readings.rootInvariant) {
        rootInvariants(json, level);
    }
    if (chart.plan.readings.names) {
        names(json, chart, level);
        if (chart.plan.space.isSphere() && !chart.plan.readings.unstable) {
            basis(json, chart, level);
        }
    }
    if (chart.plan.readings.periodicity) {
        periodicity(json, chart, level);
    }
    json.endObject();
}

// The sphere's generators, and the Massey products asked for.
void ringJson(JsonEmitter& json, const PrintedChart& chart) {
    json.key("generators");
    json.beginArray();
    for (const PrintedGenerator& g : chart.generators) {
        json.beginObject();
        json.key("name");
        json.text(g.name);
        json.key("stem");
        json.value(g.at.stem());
        json.key("filtration");
        json.value(g.at.filtration());
        json.key("index");
        json.value(static_cast<long long>(g.index));
        json.endObject();
    }
    json.endArray();
    if (chart.plan.readings.massey.empty()) {
        return;
    }
    json.key("massey");
    json.beginArray();
    for (const PrintedMassey& m : chart.massey) {
        json.beginObject();
        json.key("of");
        json.beginArray();
        for (const std::string& factor : m.factors) {
            json.text(factor);
        }
        json.endArray();
        valueAndIndeterminacy(json, chart, m.value, m.indeterminacy);
        json.endObject();
    }
    json.endArray();
}

void spaceJson(JsonEmitter& json, const ChartPlan& plan) {
    json.key("weight");
    json.value(plan.space.weight());
    json.key("bottom_cell");
    json.value(plan.space.bottomCell());
    json.key("top_cell");
    if (plan.space.topCell()) {
        json.value(*plan.space.topCell());
    } else {
        json.null();
    }
    if (plan.band) {
        json.key("max_filtration");
        json.value(*plan.band);
    }
    if (plan.stems) {
        json.key("min_stem");
        json.value(plan.stems->first);
        json.key("max_stem");
        json.value(plan.stems->last);
    }
    if (plan.readings.unstable) {
        json.key("unstable");
        json.value(*plan.readings.unstable);
    }
    if (plan.readings.rootInvariant) {
        json.key("root_invariant_cells"); // N: the cells of P_{-N} from -N
        json.value(*plan.readings.rootInvariant);
    }
    if (!plan.readings.maps.empty()) {
        json.key("maps");
        json.beginArray();
        for (const ChartMap& map : plan.readings.maps) {
            json.text(map.name());
        }
        json.endArray();
    }
}

// The sphere's levels the transfer lands in, each class with the classes
// of the chart that map to it: the transfer inverted.
void transferPreimages(JsonEmitter& json, const PrintedChart& chart) {
    json.key("sphere");
    json.beginArray();
    for (const PrintedDegree& degree : chart.sphere) {
        json.beginObject();
        json.key("t");
        json.value(degree.t);
        json.key("levels");
        json.beginArray();
        for (const PrintedLevel& level : degree.levels) {
            if (!chart.plan.shows(level.at)) {
                continue;
            }
            json.beginObject();
            json.key("s");
            json.value(level.at.s);
            json.key("stem");
            json.value(level.at.stem());
            json.key("filtration");
            json.value(level.at.filtration());
            json.key("internal_degree");
            json.value(level.at.internalDegree());
            json.key("survivors");
            classWords(json, level);
            json.key("transfer_from");
            json.beginArray();
            for (std::size_t j = 0; j < level.classes.size(); ++j) {
                json.beginArray();
                for (const PrintedMonomial* word : chart.transferPreimage(level, j)) {
                    json.numbers(*word);
                }
                json.endArray();
            }
            json.endArray();
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
}

} // namespace

// The chart as JSON, written at the end straight to the stream:
//   {"weight": W, "bottom_cell": -W, "top_cell": B or null,
//    "degrees": [{"t": t, "levels": [{"s": s,
//     "topological_degree": t - s, "coweight": t - W - s, "stem": t - W - s,
//     "filtration": s - 1, "internal_degree": stem + s - 1,
//     "survivors": [[c, l1, ...], ...],
//     "arrows": [{"target": [...], "source": [...]}, ...]}, ...]}, ...]}
// with survivors and arrows in the chart's order; with products each level
// also has "products", aligned with "survivors": for each survivor
// {"h0": [...], "h1": [...], "h2": [...], "h3": [...]} (or the factors asked
// for), the monomials of the survivors whose sum the product is, null where
// its degree was not computed. With --multiply, "multiplied", aligned with
// "survivors": for each survivor {"STEM:FILTRATION:INDEX": [...]}, the
// product by that class of the sphere, likewise. With --cycles, "cycles",
// aligned with "survivors": {"size": N, "terms": [[...], ...]}, the N
// monomials of the survivor's cycle, the survivor first. With --sq0 (the
// sphere), "sq0", aligned with "survivors": the image under Sq^0, in level s
// of 2t - 1, likewise.
// With births (the sphere's EHP reading) each level has "born", aligned with
// "survivors", and with --ehp "ehp": [{"target", "source", "born", "dies"}];
// an unstable chart has "unstable": N at the top and "dies" in each level,
// aligned with "survivors", null for a class that lives on every sphere.
// With the transfer each level has "transfer", aligned with "survivors": the
// sphere's survivors whose sum the image is, as the sphere's chart writes
// them ([] for zero), and the chart ends with "sphere": the sphere's
// degrees t + 1 + a, [{"t", "levels": [{"s", "stem", "filtration",
// "internal_degree", "survivors", "transfer_from"}]}], "transfer_from"
// aligned with "survivors": the chart's survivors whose images hold that
// class, the transfer inverted. With --map the top has "maps", their names,
// and each level a field of each name, aligned with "survivors": the
// image's classes in the target's chart as words, [] for zero, null past
// what was computed. A band of filtrations 0 .. F has "max_filtration": F at
// the top, and only those levels.
void writeChartJson(std::FILE* out, const PrintedChart& chart) {
    JsonEmitter json(out);
    json.beginObject();
    spaceJson(json, chart.plan);
    json.key("degrees");
    json.beginArray();
    for (const PrintedDegree& degree : chart.degrees) {
        json.beginObject();
        json.key("t");
        json.value(degree.t);
        json.key("levels");
        json.beginArray();
        for (const PrintedLevel& level : degree.levels) {
            if (chart.plan.shows(level.at)) {
                levelJson(json, chart, degree, level);
            }
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    if (chart.plan.readings.transfer) {
        transferPreimages(json, chart);
    }
    if (chart.plan.readings.namesClasses()) {
        ringJson(json, chart);
    }
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

std::unique_ptr<ChartWriter> makeJsonWriter(std::FILE* out) {
    return std::make_unique<JsonWriter>(out);
}

} // namespace curtis
