#include "chart_tool/refusals.hpp"

#include "table/computation.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace curtis {

bool Settled::given(const char* name) const {
    return app.get_option(name)->count() > 0;
}

namespace {

// A refusal: the condition on the plan under which it holds, and what is
// said then.
struct Refusal {
    bool (*holds)(const Settled& s);
    std::string (*message)(const Settled& s);
};

std::string formatName(const Settled& s) {
    return s.format.name;
}

bool sphere(const Settled& s) {
    return s.plan.space.isSphere();
}

// Whether products are asked for that the format does not show.
bool productsBeyondFormat(const Settled& s) {
    const std::vector<int>& factors = s.plan.readings.productFactors;
    return std::any_of(factors.begin(), factors.end(),
                       [&](int i) { return i > s.format.productsThrough; });
}

// The formats that show every product, as "json, tsv and html".
std::string formatsOfEveryProduct() {
    std::vector<std::string> names;
    for (const ChartFormat& entry : chartFormats()) {
        if (entry.showsProducts && entry.productsThrough == productFactorCount - 1) {
            names.push_back(entry.name);
        }
    }
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    }
    return list;
}

// Why a class --multiply names lies outside the chart, or nothing.
std::string classOutside(const Settled& s) {
    for (const SphereClassRef& x : s.plan.readings.multiply) {
        if (x.t() > s.plan.degrees.last) {
            return "--multiply " + x.name() + " lies in t = " + std::to_string(x.t()) +
                   ", above --max-degree " + std::to_string(s.plan.degrees.last);
        }
        if (s.plan.band && x.filtration > *s.plan.band) {
            return "--multiply " + x.name() + " lies above --max-filtration " +
                   std::to_string(*s.plan.band);
        }
    }
    return "";
}

// A Massey product not given as three classes, or nothing.
std::string notThreeClasses(const Settled& s) {
    for (const std::string& text : s.plan.readings.massey) {
        if (std::count(text.begin(), text.end(), ',') != 2) {
            return "--massey " + text + " is not A,B,C (three classes, such as h1,h0,h2^2)";
        }
    }
    return "";
}

// Why a map of --map does not go with the chart, or nothing.
std::string mapOutside(const Settled& s) {
    for (const ChartMap& map : s.plan.readings.maps) {
        if (std::string why = mapRefusal(map, s.plan.space, s.plan.readings.unstable);
            !why.empty()) {
            return why;
        }
    }
    return "";
}

// The transfer reads the sphere's table of t + 1 + a, whose entries must
// still be bytes.
std::int32_t transferSphereDegree(const Settled& s) {
    return s.plan.space.transferDegree(s.plan.degrees.last);
}

const std::string unstableLists = " does not go with --unstable: an unstable chart lists its "
                                  "classes with the spheres they die on, and no more";

// Every refusal, in the order they are tried.
const Refusal refusals[] = {
    // The run.
    {[](const Settled& s) { return s.given("--cache") && s.plan.cache.empty(); },
     [](const Settled&) -> std::string {
         return "--cache needs a directory: an empty name names none";
     }},
    {[](const Settled& s) { return s.given("--output") && s.plan.output.empty(); },
     [](const Settled&) -> std::string {
         return "--output needs a file: an empty name names none";
     }},
    {[](const Settled& s) { return s.plan.trustCache && s.plan.cache.empty(); },
     [](const Settled&) -> std::string { return "--trust-cache goes with --cache"; }},
    // What a picture draws.
    {[](const Settled& s) {
         // On the EHP and cells charts of a format that draws them, --arrows N
         // keeps the differentials of length N or more.
         return s.plan.drawing.arrowsFromCellDifference > 0 && !s.format.drawsArrows &&
                !(s.format.drawsCharts && s.plan.drawing.chart != ChartKind::Adams);
     },
     [](const Settled& s) {
         return "--arrows draws arrows in a picture: it does nothing with --format " +
                formatName(s) + " (JSON and TSV list every arrow)";
     }},
    {[](const Settled& s) {
         return s.plan.drawing.arrowsFromCellDifference > 0 &&
                s.plan.drawing.chart == ChartKind::Adams && s.format.classGraph;
     },
     [](const Settled& s) {
         return "--arrows does nothing on the Adams chart of --format " + formatName(s) +
                ": a pairing joins two bidegrees, an edge two classes; --chart cells draws the "
                "pairings between classes";
     }},
    {[](const Settled& s) { return s.plan.drawing.h3Lines && !s.plan.readings.products; },
     [](const Settled&) -> std::string {
         return "--h3-lines draws products: it goes with --products";
     }},
    {[](const Settled& s) { return s.plan.readings.products && !s.format.showsProducts; },
     [](const Settled& s) {
         return "--products does nothing with --format " + formatName(s) +
                ", which shows no products";
     }},
    {[](const Settled& s) { return s.plan.drawing.h3Lines && !s.plan.readings.productBy(3); },
     [](const Settled&) -> std::string {
         return "--h3-lines draws the products by h3, which --products leaves out";
     }},
    {[](const Settled& s) {
         return s.plan.drawing.chart != ChartKind::Adams && !s.format.drawsCharts;
     },
     [](const Settled& s) {
         return "--chart ehp and --chart cells draw svg, html and tex, not " + formatName(s) +
                "; json and tsv list the same pairings";
     }},
    {[](const Settled& s) {
         return s.plan.drawing.chart == ChartKind::Ehp && !s.plan.readings.ehp;
     },
     [](const Settled&) -> std::string {
         return "--chart ehp draws the sphere's EHP pairings: it goes with --sphere --ehp";
     }},
    {[](const Settled& s) {
         return s.plan.drawing.chart == ChartKind::Cells && s.plan.space.singleCell();
     },
     [](const Settled&) -> std::string {
         return "--chart cells draws the cells of P_A^B, and a single cell has no pairings "
                "between cells";
     }},
    {[](const Settled& s) { return s.plan.drawing.texBody && !s.format.latexPart; },
     [](const Settled&) -> std::string {
         return "--tex-body is a part of a LaTeX document: it goes with --format tex";
     }},
    {[](const Settled& s) { return s.plan.drawing.uncut && !s.format.cutsTowers; },
     [](const Settled&) -> std::string {
         return "--uncut draws a picture whole: it goes with --format svg or tex (the page "
                "moves its cut)";
     }},
    {[](const Settled& s) { return s.plan.drawing.h3Lines && s.format.classGraph; },
     [](const Settled& s) {
         return "--h3-lines does nothing with --format " + formatName(s) +
                ", which draws a line for every product asked for";
     }},
    {[](const Settled& s) { return s.plan.drawing.h3Lines && !s.format.drawsLines; },
     [](const Settled& s) {
         return "--h3-lines draws lines in a picture: it does nothing with --format " +
                formatName(s) + " (JSON and TSV list every product)";
     }},
    // The root invariants of the sphere's classes.
    {[](const Settled& s) {
         return s.plan.readings.rootInvariant &&
                (!s.plan.space.isSphere() || s.plan.readings.unstable);
     },
     [](const Settled&) {
         return std::string("--root-invariant reads the stable classes of the sphere: it goes "
                            "with --sphere, not with --unstable");
     }},
    {[](const Settled& s) {
         const std::string format = s.format.name;
         return s.plan.readings.rootInvariant && format != "json" && format != "tsv" &&
                format != "html";
     },
     [](const Settled& s) {
         return "--root-invariant does nothing with --format " + formatName(s) +
                ": json and tsv list it, and the page's panel shows it";
     }},
    {[](const Settled& s) {
         return s.plan.readings.rootInvariant &&
                *s.plan.readings.rootInvariant + s.plan.degrees.last - 1 > maxTotalDegree;
     },
     [](const Settled& s) {
         return "--root-invariant " + std::to_string(*s.plan.readings.rootInvariant) +
                " needs P_{-N} to the total degree N + " + std::to_string(s.plan.degrees.last) +
                " - 1, above " + std::to_string(maxTotalDegree);
     }},
    // Births and unstable charts read the sphere's table.
    {[](const Settled& s) {
         return (s.plan.readings.ehp || s.plan.readings.unstable) && !sphere(s);
     },
     [](const Settled& s) {
         return std::string(s.plan.readings.ehp ? "--ehp" : "--unstable") +
                " reads the sphere's table: it goes with --sphere";
     }},
    {[](const Settled& s) { return s.plan.readings.ehp && !s.format.showsEhp; },
     [](const Settled& s) {
         return "--ehp does nothing with --format " + formatName(s) + ", which shows no births";
     }},
    {[](const Settled& s) {
         return s.plan.readings.ehp && s.plan.drawing.chart != ChartKind::Ehp &&
                s.format.classGraph;
     },
     [](const Settled& s) {
         return "--ehp with --format " + formatName(s) +
                " draws the births on the EHP chart: it goes with --chart ehp";
     }},
    {[](const Settled& s) {
         return s.plan.readings.unstable && s.plan.drawing.arrowsFromCellDifference > 0;
     },
     [](const Settled&) { return "--arrows" + unstableLists; }},
    {[](const Settled& s) { return s.plan.readings.unstable && s.plan.readings.ehp; },
     [](const Settled&) { return "--ehp" + unstableLists; }},
    {[](const Settled& s) { return s.plan.readings.unstable && !s.plan.readings.multiply.empty(); },
     [](const Settled&) { return "--multiply" + unstableLists; }},
    {[](const Settled& s) { return s.plan.readings.unstable && s.plan.readings.cycles; },
     [](const Settled&) { return "--cycles" + unstableLists; }},
    // The transfer.
    {[](const Settled& s) {
         return s.plan.readings.transfer && s.plan.space.bottomCell() != 0 &&
                s.plan.space.bottomCell() != 1;
     },
     [](const Settled&) -> std::string {
         return "--transfer needs --bottom-cell 0 or 1: below any other bottom cell the map "
                "e(c) λ_I -> λ_c λ_I is not a chain map, because the cells below the bottom "
                "are missing";
     }},
    {[](const Settled& s) { return s.plan.readings.transfer && !s.format.showsTransfer; },
     [](const Settled& s) {
         return "--transfer does nothing with --format " + formatName(s) +
                ", which shows no transfer";
     }},
    {[](const Settled& s) { return s.plan.readings.transfer && s.plan.readings.unstable; },
     [](const Settled&) -> std::string { return "--transfer does not go with --unstable"; }},
    // The maps.
    {[](const Settled& s) { return !s.plan.readings.maps.empty() && !s.format.showsMaps; },
     [](const Settled& s) {
         return "--map does nothing with --format " + formatName(s) +
                ", which shows no maps (json, tsv and html do)";
     }},
    {[](const Settled& s) {
         return !s.plan.readings.maps.empty() && s.plan.drawing.chart != ChartKind::Adams;
     },
     [](const Settled&) -> std::string {
         return "--map shows its images in the panel of the Adams chart's page, not on the EHP "
                "or cells chart";
     }},
    {[](const Settled& s) { return !mapOutside(s).empty(); }, mapOutside},
    // The range.
    {[](const Settled& s) { return s.plan.degrees.first > s.plan.degrees.last; },
     [](const Settled& s) {
         return "--min-degree " + std::to_string(s.plan.degrees.first) +
                " is larger than --max-degree " + std::to_string(s.plan.degrees.last);
     }},
    // The readings of classes.
    {[](const Settled& s) { return !s.plan.readings.multiply.empty() && !s.format.listsReadings; },
     [](const Settled& s) {
         return "--multiply does nothing with --format " + formatName(s) +
                ": json and tsv list what it reads";
     }},
    {[](const Settled& s) { return s.plan.readings.cycles && !s.format.listsReadings; },
     [](const Settled& s) {
         return "--cycles does nothing with --format " + formatName(s) +
                ": json and tsv list what it reads";
     }},
    {[](const Settled& s) { return s.plan.readings.names && !s.format.showsNames; },
     [](const Settled& s) {
         return "--names does nothing with --format " + formatName(s) +
                ", which shows no classes' names";
     }},
    {[](const Settled& s) { return !s.plan.readings.massey.empty() && !s.format.listsReadings; },
     [](const Settled& s) {
         return "--massey does nothing with --format " + formatName(s) +
                ": json and tsv list what it reads";
     }},
    {[](const Settled& s) { return !s.plan.readings.massey.empty() && !sphere(s); },
     [](const Settled&) -> std::string {
         return "--massey reads the sphere's ring: it goes with --sphere";
     }},
    {[](const Settled& s) {
         return s.plan.readings.periodicity && !s.format.listsReadings &&
                !s.format.drawsPeriodicity;
     },
     [](const Settled& s) {
         return "--periodicity does nothing with --format " + formatName(s) +
                ": json and tsv list what it reads, html draws it";
     }},
    {[](const Settled& s) { return s.plan.readings.periodicity && !sphere(s); },
     [](const Settled&) -> std::string {
         return "--periodicity reads the sphere's ring: it goes with --sphere";
     }},
    {[](const Settled& s) { return s.plan.readings.sq0 && !sphere(s); },
     [](const Settled&) -> std::string {
         return "--sq0 reads the sphere's Lambda algebra: it goes with --sphere";
     }},
    {[](const Settled& s) { return s.plan.readings.sq0 && s.plan.readings.unstable; },
     [](const Settled&) -> std::string {
         return "--sq0 reads the stable sphere: it does not go with --unstable";
     }},
    {[](const Settled& s) { return s.plan.readings.sq0 && !s.format.listsSq0; },
     [](const Settled& s) {
         return "--sq0 does nothing with --format " + formatName(s) + ": json lists what it reads";
     }},
    {[](const Settled& s) { return !notThreeClasses(s).empty(); }, notThreeClasses},
    {[](const Settled& s) {
         return s.plan.readings.unstable &&
                (!s.plan.readings.massey.empty() || s.plan.readings.periodicity);
     },
     [](const Settled&) -> std::string {
         return "--massey and --periodicity read the stable sphere's ring: they do not go with "
                "--unstable";
     }},
    {[](const Settled& s) { return !classOutside(s).empty(); }, classOutside},
    {[](const Settled& s) {
         return s.plan.readings.transfer && transferSphereDegree(s) > maxTotalDegree;
     },
     [](const Settled& s) {
         return "--max-degree " + std::to_string(s.plan.degrees.last) +
                " is too large for --transfer, which reads the sphere's table of t = " +
                std::to_string(transferSphereDegree(s));
     }},
    // Last, so that every other refusal keeps its word: the products a picture
    // does not draw.
    {[](const Settled& s) { return s.plan.readings.products && productsBeyondFormat(s); },
     [](const Settled& s) {
         return "--products by h4 or h5 does nothing with --format " + formatName(s) +
                ", which draws lines for h0 to h" + std::to_string(s.format.productsThrough) +
                " only (" + formatsOfEveryProduct() + " show every product)";
     }},
};

} // namespace

std::string refusalOf(const Settled& settled) {
    for (const Refusal& refusal : refusals) {
        if (refusal.holds(settled)) {
            return refusal.message(settled);
        }
    }
    return "";
}

} // namespace curtis
