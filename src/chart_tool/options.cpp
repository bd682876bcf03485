#include "chart_tool/options.hpp"

#include "system/processors.hpp"
#include "table/computation.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace curtis {

namespace {

// Writes message as a single line on err.
void complain(std::FILE* err, std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    while (!message.empty() && message.back() == ' ') {
        message.pop_back();
    }
    std::fprintf(err, "curtis-chart: %s (see --help)\n", message.c_str());
}

// Accepts a decimal integer from low to high, nothing else.
CLI::Validator wholeNumber(long long low, long long high) {
    return CLI::Validator(
        [low, high](std::string& text) -> std::string {
            errno = 0;
            char* end = nullptr;
            const long long value = std::strtoll(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
                return text + " is not a whole number from " + std::to_string(low) + " to " +
                       std::to_string(high);
            }
            return "";
        },
        "");
}

// The names of the formats that show something, for the help.
std::string formatsThat(bool ChartFormat::*shows) {
    std::string names;
    for (const ChartFormat& entry : chartFormats()) {
        if (entry.*shows) {
            names += std::string(names.empty() ? "" : ", ") + entry.name;
        }
    }
    return names;
}

// Why the largest degree cannot be computed, or nothing: the transfer reads
// the sphere's tables of degrees beyond the range, whose entries must still
// be bytes.
std::string degreeRefusal(const ChartOptions& options) {
    const std::int32_t T = options.maxDegree;
    if (options.transfer) {
        // The sphere's tables of t + 1 + a, in a band one filtration higher.
        const std::int32_t sphereT = Space(-options.weight, options.topCell).transferDegree(T);
        if (sphereT > maxTotalDegree) {
            return "--max-degree " + std::to_string(T) + " is too large for --transfer, which " +
                   "reads the sphere's table of t = " + std::to_string(sphereT);
        }
    }
    return "";
}

// A whole number of at most four digits from text, or -1.
int smallNumber(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    return std::stoi(text);
}

// The factors h_i of --products: N for h0 .. hN, or a list such as h0,h4;
// or why not.
std::string settleFactors(const std::string& given, std::vector<int>& factors) {
    const std::string refusal = "--products " + given +
                                " is neither N (0 to 5: h0 to hN) nor a list of h0 to h5 "
                                "such as h0,h4";
    factors.clear();
    if (const int n = smallNumber(given); n >= 0) {
        for (int i = 0; i <= n && n < productFactorCount; ++i) {
            factors.push_back(i);
        }
        return factors.empty() ? refusal : "";
    }
    std::size_t at = 0;
    while (at <= given.size()) {
        const std::size_t end = std::min(given.find(',', at), given.size());
        const std::string item = given.substr(at, end - at);
        const int i = item.size() == 2 && item[0] == 'h' ? smallNumber(item.substr(1)) : -1;
        if (i < 0 || i >= productFactorCount ||
            std::find(factors.begin(), factors.end(), i) != factors.end()) {
            return refusal;
        }
        factors.push_back(i);
        at = end + 1;
    }
    std::sort(factors.begin(), factors.end());
    return "";
}

// The classes of --multiply, STEM:FILTRATION:INDEX each, or why not.
std::string settleMultiply(const std::vector<std::string>& given,
                           std::vector<SphereClassRef>& classes) {
    for (const std::string& text : given) {
        const std::size_t first = text.find(':');
        const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
        const int stem = smallNumber(text.substr(0, first));
        const int filtration = second == std::string::npos
                                   ? -1
                                   : smallNumber(text.substr(first + 1, second - first - 1));
        const int index = second == std::string::npos ? -1 : smallNumber(text.substr(second + 1));
        if (stem < 0 || filtration < 0 || index < 0) {
            return "--multiply " + text +
                   " is not STEM:FILTRATION:INDEX (14:4:0: the first class of stem 14, "
                   "filtration 4)";
        }
        classes.push_back(SphereClassRef{stem, filtration, static_cast<std::size_t>(index)});
    }
    return "";
}

// Why the names, Massey products and periodicity cannot be had as given,
// or nothing.
std::string namesRefusal(const ChartOptions& options) {
    const std::string format = options.format->name;
    if (options.names && !options.format->showsProducts) {
        return "--names does nothing with --format " + format + ", which shows no classes' names";
    }
    for (const auto& [given, name] : {std::pair{!options.massey.empty(), "--massey"},
                                      std::pair{options.periodicity, "--periodicity"}}) {
        // The page draws P(x) on request.
        const bool drawn = name == std::string("--periodicity") && format == "html";
        if (given && !options.format->listsReadings && !drawn) {
            return std::string(name) + " does nothing with --format " + format +
                   ": json and tsv list what it reads" +
                   (name == std::string("--periodicity") ? ", html draws it" : "");
        }
        if (given && (options.weight != 0 || !options.topCell || *options.topCell != 0)) {
            return std::string(name) + " reads the sphere's ring: it goes with --sphere";
        }
    }
    for (const std::string& text : options.massey) {
        if (std::count(text.begin(), text.end(), ',') != 2) {
            return "--massey " + text + " is not A,B,C (three classes, such as h1,h0,h2^2)";
        }
    }
    if (options.unstable && (options.names || !options.massey.empty() || options.periodicity)) {
        return "--names, --massey and --periodicity read the stable sphere: they do not go with "
               "--unstable";
    }
    return "";
}

// Why the classes --multiply names cannot be had, or nothing.
std::string classesRefusal(const ChartOptions& options) {
    for (const SphereClassRef& x : options.multiply) {
        if (x.t() > options.maxDegree) {
            return "--multiply " + x.name() + " lies in t = " + std::to_string(x.t()) +
                   ", above --max-degree " + std::to_string(options.maxDegree);
        }
        if (options.maxFiltration && x.filtration > *options.maxFiltration) {
            return "--multiply " + x.name() + " lies above --max-filtration " +
                   std::to_string(*options.maxFiltration);
        }
    }
    return "";
}

// Why the readings of classes cannot be had as given, or nothing.
std::string readingsRefusal(const ChartOptions& options) {
    const std::string format = options.format->name;
    for (const auto& [given, name] : {std::pair{!options.multiply.empty(), "--multiply"},
                                      std::pair{options.cycles, "--cycles"}}) {
        if (given && !options.format->listsReadings) {
            return std::string(name) + " does nothing with --format " + format +
                   ": json and tsv list what it reads";
        }
    }
    const std::string names = namesRefusal(options);
    return names.empty() ? classesRefusal(options) : names;
}

// Why what a picture draws cannot be had as given, or nothing.
std::string drawingRefusal(const ChartOptions& options) {
    const std::string format = options.format->name;
    if (options.arrows > 0 && !options.format->drawsArrows) {
        return "--arrows draws arrows in a picture: it does nothing with --format " + format +
               " (JSON and TSV list every arrow)";
    }
    if (options.h3Lines && !options.products) {
        return "--h3-lines draws products: it goes with --products";
    }
    if (options.products && !options.format->showsProducts) {
        return "--products does nothing with --format " + format + ", which shows no products";
    }
    if (options.h3Lines && std::find(options.productFactors.begin(), options.productFactors.end(),
                                     3) == options.productFactors.end()) {
        return "--h3-lines draws the products by h3, which --products leaves out";
    }
    if (options.chart != ChartKind::Adams && format != "svg" && format != "html" &&
        format != "tex") {
        return "--chart ehp and --chart cells draw svg, html and tex; json and tsv list the same "
               "pairings";
    }
    if (options.chart == ChartKind::Ehp && !options.ehp) {
        return "--chart ehp draws the sphere's EHP pairings: it goes with --sphere --ehp";
    }
    if (options.chart == ChartKind::Cells &&
        (options.topCell && *options.topCell == -options.weight)) {
        return "--chart cells draws the cells of P_A^B, and a single cell has no pairings "
               "between cells";
    }
    if (options.texBody && options.format->name != std::string("tex")) {
        return "--tex-body is a part of a LaTeX document: it goes with --format tex";
    }
    if (options.uncut && options.format->name != std::string("svg") &&
        options.format->name != std::string("tex")) {
        return "--uncut draws a picture whole: it goes with --format svg or tex (the page moves "
               "its cut)";
    }
    if (options.h3Lines && !options.format->drawsArrows && format != "tex") {
        return "--h3-lines draws lines in a picture: it does nothing with --format " + format +
               " (JSON and TSV list every product)";
    }
    return "";
}

// Why a combination of options is refused, or nothing: an option that would
// do nothing in the chosen format or without its companion is refused
// rather than ignored.
std::string refusalOf(const ChartOptions& options, bool sphere) {
    const std::string format = options.format->name;
    if (const std::string drawing = drawingRefusal(options); !drawing.empty()) {
        return drawing;
    }
    if ((options.ehp || options.unstable) && !sphere) {
        return std::string(options.ehp ? "--ehp" : "--unstable") +
               " reads the sphere's table: it goes with --sphere";
    }
    if (options.ehp && !options.format->showsEhp) {
        return "--ehp does nothing with --format " + format + ", which shows no births";
    }
    if (options.unstable) {
        for (const auto& [given, name] :
             {std::pair{options.arrows > 0, "--arrows"}, std::pair{options.ehp, "--ehp"},
              std::pair{!options.multiply.empty(), "--multiply"},
              std::pair{options.cycles, "--cycles"}}) {
            if (given) {
                return std::string(name) + " does not go with --unstable: an unstable chart " +
                       "lists its classes with the spheres they die on, and no more";
            }
        }
    }
    if (options.transfer && options.weight != 0 && options.weight != -1) {
        return "--transfer needs --bottom-cell 0 or 1: below any other bottom cell the map "
               "e(c) λ_I -> λ_c λ_I is not a chain map, because the cells below the bottom "
               "are missing";
    }
    if (options.transfer && !options.format->showsTransfer) {
        return "--transfer does nothing with --format " + format + ", which shows no transfer";
    }
    if (options.transfer && options.unstable) {
        return "--transfer does not go with --unstable";
    }
    if (options.minDegree > options.maxDegree) {
        return "--min-degree " + std::to_string(options.minDegree) +
               " is larger than --max-degree " + std::to_string(options.maxDegree);
    }
    const std::string readings = readingsRefusal(options);
    return readings.empty() ? degreeRefusal(options) : readings;
}

// The command line as given, before the space and the range are settled.
struct Given {
    long long weight = 0;
    long long bottomCell = 0;
    long long topCell = 0;
    bool sphere = false;
    long long maxDegree = 0;
    long long minDegree = 1;
    long long maxStem = 0;
    long long minStem = 0;
    long long maxFiltration = 0;
    std::string format = chartFormats().front().name;
    long long arrows = 0;
    std::string products;
    std::vector<std::string> multiply;
    bool cycles = false;
    bool names = false;
    std::vector<std::string> massey;
    bool periodicity = false;
    bool h3Lines = false;
    bool uncut = false;
    bool texBody = false;
    std::string chart = "adams";
    bool ehp = false;
    bool transfer = false;
    long long unstable = 0;
    std::string cache;
    bool trustCache = false;
    long long checkpointMinutes = 0;
    long long threads = 0;
    std::string output;
};

// An option of the command line and its check: a whole number in a range, a
// flag, or a text (one of `choices`, where there are any).
struct OptionRow {
    const char* names;
    const char* value; // the value's name in the help; null for a flag
    std::string help;
    std::variant<long long Given::*, bool Given::*, std::string Given::*,
                 std::vector<std::string> Given::*>
        target;
    long long low = 0;
    long long high = 0;
    bool required = false;
    bool valueOptional = false; // the value may be left out: then it is `fallback`
    std::vector<std::string> choices;
    const char* fallback = "1";
};

OptionRow number(const char* names, const char* value, std::string help, long long Given::*target,
                 long long low, long long high) {
    return OptionRow{names, value, std::move(help), target, low, high, false, false, {}};
}

OptionRow flag(const char* names, std::string help, bool Given::*target) {
    return OptionRow{names, nullptr, std::move(help), target, 0, 0, false, false, {}};
}

OptionRow text(const char* names, const char* value, std::string help, std::string Given::*target) {
    return OptionRow{names, value, std::move(help), target, 0, 0, false, false, {}};
}

template <typename Change> OptionRow with(OptionRow row, Change&& change) {
    change(row);
    return row;
}

// The space and the range of degrees.
std::vector<OptionRow> spaceRows() {
    const std::string weights =
        std::to_string(-maxWeightMagnitude) + " to " + std::to_string(maxWeightMagnitude);
    const long long cells = maxWeightMagnitude;
    return {
        number("-w,--weight", "W",
               "the weight W, " + weights + ": the space P_{-W}, whose cells\nrun from -W upward",
               &Given::weight, -cells, cells),
        number("-a,--bottom-cell", "A",
               "the bottom cell A, " + weights +
                   ": the space P_A, the\nsame as --weight -A (RP^∞ is --bottom-cell 1)",
               &Given::bottomCell, -cells, cells),
        flag("--sphere", "the sphere S^0 = P_0^0, the same as --bottom-cell 0\n--top-cell 0",
             &Given::sphere),
        number("-b,--top-cell", "B",
               "the top cell B, from the bottom cell to " + std::to_string(cells) +
                   ": the\nfinite space P_A^B (RP^n is --bottom-cell 1 --top-cell n);\n"
                   "with --weight or --bottom-cell",
               &Given::topCell, -cells, cells),
        number("-T,--max-degree", "T",
               "the largest total degree t computed, 1 to " + std::to_string(maxTotalDegree) +
                   "\n(this or --max-stem is required)",
               &Given::maxDegree, 1, maxBandDegree),
        number("--min-degree", "T0", "the smallest total degree t computed (default 1)",
               &Given::minDegree, 1, maxBandDegree),
        number("--max-stem", "N",
               "the stems up to N, in every filtration of --max-filtration;\n"
               "for the sphere without it, every filtration Adams' vanishing\n"
               "line leaves (the tower of stem 0 cut there)",
               &Given::maxStem, -cells, cells),
        number("--min-stem", "M", "with --max-stem: the stems from M (default: the bottom cell)",
               &Given::minStem, -cells, cells),
        number("--max-filtration", "F",
               "only the Adams filtrations 0 to F (levels s <= F + 1), exact,\n"
               "and far faster than the whole degrees",
               &Given::maxFiltration, 0, maxFiltrationBound),
    };
}

// The format and what the chart shows.
std::vector<OptionRow> outputRows() {
    std::string formatHelp;
    std::vector<std::string> formatNames;
    for (const ChartFormat& entry : chartFormats()) {
        formatHelp += std::string(formatHelp.empty() ? "" : ";\n") + entry.name + ": " + entry.help;
        formatNames.push_back(entry.name);
    }
    const long long cells = maxWeightMagnitude;
    return {
        with(text("-f,--format", "FORMAT", formatHelp, &Given::format),
             [&](OptionRow& row) { row.choices = formatNames; }),
        with(number("--arrows", "[N]",
                    "svg: draw the pairings that change the cell as arrows,\n"
                    "those that change it by N or more (default 1: all;\n"
                    "--arrows 2 leaves out the Sq^1 pairings)",
                    &Given::arrows, 1, cells),
             [](OptionRow& row) { row.valueOptional = true; }),
    };
}

// What the chart reads off its classes.
std::vector<OptionRow> readingRows() {
    return {
        with(text("--products", "[N|LIST]",
                  "the products by h0, h1, h2 and h3 of every survivor whose\n"
                  "product lands within the computed degrees (" +
                      formatsThat(&ChartFormat::showsProducts) +
                      ");\nN: by h0 to hN (N up to 5); a list such as h0,h4: by those",
                  &Given::products),
             [](OptionRow& row) {
                 row.valueOptional = true;
                 row.fallback = "3";
             }),
        OptionRow{"--multiply",
                  "STEM:FILTRATION:INDEX",
                  "the product of every survivor by the sphere's class of that\n"
                  "stem and filtration, numbered from 0 as the JSON lists them\n"
                  "(14:4:0 is d0); may be given more than once (json, tsv;\n"
                  "a product of more than 2^30 terms is refused)",
                  &Given::multiply,
                  0,
                  0,
                  false,
                  false,
                  {}},
        flag("--cycles",
             "the cycle of every survivor: the survivor and the words its\n"
             "elimination added (json, tsv; a cycle of more than 100000\n"
             "terms is refused)",
             &Given::cycles),
        flag("--h3-lines", "svg, tex with --products: draw h3 lines too", &Given::h3Lines),
        flag("--uncut",
             "svg: draw every filtration; by default a tower is cut two rows\n"
             "above every other class, with an arrow (the page moves the cut)",
             &Given::uncut),
        flag("--ehp",
             "with --sphere: the table read as the algebraic EHP sequence:\n"
             "the sphere each survivor is born on, and every pairing that\n"
             "changes the first index, with the spheres its target is born\n"
             "and dies on (json, svg, tsv; the JSON of the sphere to\n"
             "t = 40 takes 203 kB with it, 102 kB without)",
             &Given::ehp),
        flag("--transfer",
             "with --bottom-cell 0 or 1 (RP^b_+ or RP^b): the image of every\n"
             "survivor under the algebraic transfer to the sphere,\n"
             "Ext^{s,t}(P) -> Ext^{s+1,t+1}(S^0) (" +
                 formatsThat(&ChartFormat::showsTransfer) +
                 "); computes the sphere's\ntables to T + 1 + A",
             &Given::transfer),
    };
}

// The unstable chart, the cache, the threads, the output.
std::vector<OptionRow> runRows() {
    const long long cells = maxWeightMagnitude;
    return {
        number("--unstable", "N",
               "with --sphere: the unstable Adams E2 term of S^N, read off\n"
               "the sphere's table (stem k is that of pi_{N+k}(S^N))",
               &Given::unstable, 1, cells),
        text("--cache", "DIR",
             "keep the tables' finished degrees in DIR, and read from it\n"
             "what an earlier run (or a run beside this one) finished",
             &Given::cache),
        flag("--trust-cache",
             "use a cache directory that other users own or may write (a\n"
             "directory shared on purpose); everything read is still checked",
             &Given::trustCache),
        number("--checkpoint-minutes", "M",
               "ignored, with a warning: degrees take seconds now and save\n"
               "no checkpoints; accepted so that scripts that pass it run",
               &Given::checkpointMinutes, 0, 1000000),
        number("--threads", "N",
               "eliminate on N threads (default: one per processor this\n"
               "process may use); the chart is the same for any N",
               &Given::threads, 1, 256),
        text("-o,--output", "FILE",
             "write to FILE instead of standard output; FILE appears only\n"
             "once it is complete",
             &Given::output),
    };
}

// Which chart a picture draws, and how LaTeX gets it.
std::vector<OptionRow> chartRows() {
    return {
        with(text("--chart", "adams|ehp|cells",
                  "svg, html, tex: the chart drawn: adams (x the stem, y the Adams\n"
                  "filtration; the default), ehp (with --sphere --ehp: y the\n"
                  "sphere a class is born on, an arrow for each EHP pairing)\n"
                  "or cells (P_A^B: y the cell, an arrow for each pairing that\n"
                  "changes the cell, a differential of the algebraic\n"
                  "Atiyah-Hirzebruch spectral sequence)",
                  &Given::chart),
             [](OptionRow& row) {
                 row.choices = {"adams", "ehp", "cells"};
             }),
        flag("--tex-body",
             "tex: the spectralsequences page alone, to put in a document\n"
             "that loads the package",
             &Given::texBody),
    };
}

// What the chart reads of the sphere's ring by name.
std::vector<OptionRow> nameRows() {
    return {
        flag("--names",
             "every class named: the sphere's as a sum of monomials in its\n"
             "algebra generators, named as the literature names them\n"
             "(h0^4 h4 + h1 d0); a class of P_A^B by the sphere's class of\n"
             "its leading term on its cell (h1[3]) (json, svg, tsv, html)",
             &Given::names),
        OptionRow{"--massey",
                  "A,B,C",
                  "with --sphere: the Massey product <A, B, C> and its\n"
                  "indeterminacy, each class a generator's name, a product of\n"
                  "them (h2^2) or STEM:FILTRATION:INDEX; may be given more\n"
                  "than once (json, tsv)",
                  &Given::massey,
                  0,
                  0,
                  false,
                  false,
                  {}},
        flag("--periodicity",
             "with --sphere: P(x) = <h3, h0^4, x> of every class where\n"
             "h0^4 x = 0, with its indeterminacy (json, tsv; html draws\n"
             "it on request)",
             &Given::periodicity),
    };
}

// Every option, in the order of the help.
std::vector<OptionRow> optionRows() {
    std::vector<OptionRow> rows = spaceRows();
    for (std::vector<OptionRow> more :
         {outputRows(), readingRows(), chartRows(), nameRows(), runRows()}) {
        for (OptionRow& row : more) {
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

// Adds the row's option to app, its value to go to given.
void addOption(CLI::App& app, const OptionRow& row, Given& given) {
    if (const auto* flag = std::get_if<bool Given::*>(&row.target)) {
        app.add_flag(row.names, given.**flag, row.help);
        return;
    }
    CLI::Option* option = nullptr;
    if (const auto* number = std::get_if<long long Given::*>(&row.target)) {
        option = app.add_option(row.names, given.**number, row.help)
                     ->check(wholeNumber(row.low, row.high));
    } else if (const auto* list = std::get_if<std::vector<std::string> Given::*>(&row.target)) {
        option = app.add_option(row.names, given.**list, row.help)->expected(1)->take_all();
    } else {
        option =
            app.add_option(row.names, given.*std::get<std::string Given::*>(row.target), row.help);
    }
    option->option_text(row.value);
    if (row.required) {
        option->required();
    }
    if (row.valueOptional) {
        option->expected(0, 1)->default_str(row.fallback);
    }
    if (!row.choices.empty()) {
        option->check(CLI::IsMember(row.choices).description(""));
    }
}

const char* const footer =
    "Ext^{s,t}: s the filtration, t - s the stem. Reading the JSON or the TSV: a\n"
    "class lies in Ext^{s,t} with s = \"filtration\" and t = \"internal_degree\"\n"
    "(stem + s); for an Adams chart take \"stem\" as x and \"filtration\" as y.\n"
    "The fields \"t\" and \"s\" are the program's own degrees (its s is the\n"
    "filtration + 1), and --max-degree counts its t.\n"
    "A dot's cell is the cell that detects the class in the algebraic\n"
    "Atiyah-Hirzebruch spectral sequence.\n\n"
    "Exit status: 0 done, 1 the output could not be written, 2 bad arguments,\n"
    "255 the memory the computation needs could not be obtained, or the table\n"
    "was contradicted.";

// Parses the command line; Run when there is something to settle.
ParseOutcome parseInto(CLI::App& app, int argc, const char* const* argv, std::FILE* out,
                       std::FILE* err) {
    const std::string version = std::string("curtis-chart ") + CURTIS_VERSION;
    app.set_version_flag("--version", version, "print the version and exit");
    app.footer(footer);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), out);
        return ParseOutcome::Help;
    } catch (const CLI::CallForVersion&) {
        std::fprintf(out, "%s\n", version.c_str());
        return ParseOutcome::Help;
    } catch (const CLI::ArgumentMismatch& error) {
        // An option given more often than it may be: say which.
        for (const CLI::Option* option : app.get_options()) {
            if (option->count() > 1 && option->get_expected_max() <= 1) {
                complain(err, option->get_name() + " was given more than once; give it once");
                return ParseOutcome::Error;
            }
        }
        complain(err, error.what());
        return ParseOutcome::Error;
    } catch (const CLI::ParseError& error) {
        complain(err, error.what());
        return ParseOutcome::Error;
    }
    // Flags may be given again without complaint from the parser; only
    // --multiply and --massey may be given more than once.
    for (const CLI::Option* option : app.get_options()) {
        if (option->count() > 1 && option->get_name() != "--multiply" &&
            option->get_name() != "--massey") {
            complain(err, option->get_name() + " was given more than once; give it once");
            return ParseOutcome::Error;
        }
    }
    return ParseOutcome::Run;
}

// How many times the option of this name was given.
std::size_t count(const CLI::App& app, const char* name) {
    return app.get_option(name)->count();
}

// The space from --weight, --bottom-cell, --sphere and --top-cell, or why
// it cannot be had.
std::string settleSpace(const CLI::App& app, const Given& given, ChartOptions& options) {
    const std::size_t spaces =
        count(app, "--weight") + count(app, "--bottom-cell") + count(app, "--sphere");
    if (spaces != 1) {
        return spaces == 0 ? "the space is required: --weight, --bottom-cell or --sphere"
                           : "give only one of --weight, --bottom-cell and --sphere";
    }
    const bool top = count(app, "--top-cell") > 0;
    if (given.sphere && top) {
        return "--top-cell goes with --weight or --bottom-cell, not with --sphere";
    }
    options.weight = static_cast<std::int32_t>(count(app, "--bottom-cell") > 0 ? -given.bottomCell
                                                                               : given.weight);
    if (given.sphere) {
        options.weight = 0;
        options.topCell = 0;
    }
    if (top) {
        if (given.topCell < -options.weight) {
            return "--top-cell " + std::to_string(given.topCell) + " is below the bottom cell " +
                   std::to_string(-options.weight);
        }
        options.topCell = static_cast<std::int32_t>(given.topCell);
    }
    return "";
}

// Everything else, as given.
void settleTheRest(const CLI::App& app, const Given& given, ChartOptions& options) {
    options.maxDegree = static_cast<std::int32_t>(given.maxDegree);
    options.minDegree = static_cast<std::int32_t>(given.minDegree);
    if (count(app, "--max-filtration") > 0) {
        options.maxFiltration = static_cast<int>(given.maxFiltration);
    }
    options.format = findChartFormat(given.format);
    options.arrows = count(app, "--arrows") > 0 ? static_cast<int>(given.arrows) : 0;
    options.products = count(app, "--products") > 0;
    options.cycles = given.cycles;
    options.names = given.names;
    options.massey = given.massey;
    options.periodicity = given.periodicity;
    options.h3Lines = given.h3Lines;
    options.uncut = given.uncut;
    options.texBody = given.texBody;
    options.chart = given.chart == "ehp"     ? ChartKind::Ehp
                    : given.chart == "cells" ? ChartKind::Cells
                                             : ChartKind::Adams;
    options.ehp = given.ehp;
    options.transfer = given.transfer;
    if (count(app, "--unstable") > 0) {
        options.unstable = static_cast<int>(given.unstable);
    }
    options.cache = given.cache;
    options.trustCache = given.trustCache;
    options.threads = static_cast<int>(given.threads);
    options.output = given.output;
}

// The largest Adams filtration s in which the sphere has a class of a stem
// from 1 to n: Ext^{s,t} = 0 for 0 < t - s < U(s), with U(4k) = 8k - 1,
// U(4k + 1) = 8k + 1, U(4k + 2) = 8k + 2 and U(4k + 3) = 8k + 3.
int vanishingFiltration(long long n) {
    const auto bound = [](int s) { return 8 * (s / 4) + (s % 4 == 0 ? -1 : s % 4); };
    int s = 0;
    while (bound(s + 1) <= n) {
        ++s;
    }
    return s;
}

// The degrees of a range asked for by stems, or why it cannot be had.
std::string settleStems(const CLI::App& app, const Given& given, ChartOptions& options) {
    const bool byStem = count(app, "--max-stem") > 0;
    if (!byStem) {
        return count(app, "--min-stem") > 0 ? "--min-stem goes with --max-stem"
               : count(app, "--max-degree") == 0
                   ? "the range is required: --max-degree T, or --max-stem N"
                   : "";
    }
    if (count(app, "--max-degree") > 0 || count(app, "--min-degree") > 0) {
        return "give the range by stems (--max-stem, --min-stem) or by total degrees "
               "(--max-degree, --min-degree), not both";
    }
    if (!options.format->drawsArrows && !options.format->listsReadings) {
        return "--max-stem shows a rectangle of stems; the text format is the chart of whole "
               "total degrees, asked for with --max-degree";
    }
    const long long a = -options.weight;
    const long long first = count(app, "--min-stem") > 0 ? given.minStem : a;
    const long long last = given.maxStem;
    if (first > last) {
        return "--min-stem " + std::to_string(first) + " is above --max-stem " +
               std::to_string(last);
    }
    if (!options.maxFiltration) {
        if (!options.topCell || *options.topCell != a) {
            return "--max-stem needs --max-filtration for P_A^B: each cell brings an h0-tower, "
                   "and towers remain (at stem A for even A, at stem B for odd B), so no "
                   "filtration bounds a range of stems";
        }
        options.maxFiltration = vanishingFiltration(last - a);
    }
    // Stem k and filtration f lie in total degree k - a + f + 1.
    const long long maxT = last - a + *options.maxFiltration + 1;
    if (maxT < 1 || maxT > maxBandDegree) {
        return "--max-stem " + std::to_string(last) +
               " needs the total degrees up to t = " + std::to_string(maxT) + ", outside 1 to " +
               std::to_string(maxBandDegree);
    }
    options.maxDegree = static_cast<std::int32_t>(maxT);
    options.minDegree = static_cast<std::int32_t>(std::max(1LL, first - a + 1));
    options.stems = StemRange{static_cast<int>(first), static_cast<int>(last)};
    return "";
}

} // namespace

ParseOutcome parseChartOptions(int argc, const char* const* argv, ChartOptions& options,
                               std::FILE* out, std::FILE* err) {
    CLI::App app{"curtis-chart: whole charts of the Curtis algorithm over the mod-2 Lambda "
                 "algebra,\nfor one stunted projective space P_A^B (or the sphere) and a range "
                 "of total\ndegrees, as JSON, as the chart text of curtis, or as an Adams-style "
                 "picture in SVG.",
                 "curtis-chart"};
    app.get_formatter()->column_width(30);
    Given given;
    for (const OptionRow& row : optionRows()) {
        addOption(app, row, given);
    }
    const ParseOutcome outcome = parseInto(app, argc, argv, out, err);
    if (outcome != ParseOutcome::Run) {
        return outcome;
    }
    std::string refusal = settleSpace(app, given, options);
    if (refusal.empty() && count(app, "--products") > 0) {
        refusal = settleFactors(given.products, options.productFactors);
    }
    if (refusal.empty()) {
        refusal = settleMultiply(given.multiply, options.multiply);
    }
    if (refusal.empty()) {
        settleTheRest(app, given, options);
        refusal = settleStems(app, given, options);
    }
    if (refusal.empty()) {
        if (count(app, "--checkpoint-minutes") > 0) {
            std::fputs("curtis-chart: warning: --checkpoint-minutes is ignored: a degree is "
                       "computed from the sphere's tables in seconds and saves no checkpoints\n",
                       err);
        }
        refusal = count(app, "--cache") > 0 && given.cache.empty()
                      ? "--cache needs a directory: an empty name names none"
                  : count(app, "--output") > 0 && given.output.empty()
                      ? "--output needs a file: an empty name names none"
                  : options.trustCache && options.cache.empty() ? "--trust-cache goes with --cache"
                                                                : refusalOf(options, given.sphere);
    }
    if (!refusal.empty()) {
        complain(err, refusal);
        return ParseOutcome::Error;
    }
    return ParseOutcome::Run;
}

ChartPlan planOf(const ChartOptions& options) {
    ChartPlan plan;
    plan.space = Space(-options.weight, options.topCell);
    plan.degrees = DegreeRange{options.minDegree, options.maxDegree};
    plan.band = options.maxFiltration;
    plan.stems = options.stems;
    plan.readings =
        Readings{options.products,       options.ehp,        options.unstable, options.transfer,
                 options.productFactors, options.multiply,   options.cycles,   options.names,
                 options.massey,         options.periodicity};
    plan.drawing =
        Drawing{options.arrows, options.h3Lines, options.uncut, options.texBody, options.chart};
    plan.format = options.format->name;
    plan.output = options.output;
    plan.cache = options.cache;
    plan.trustCache = options.trustCache;
    plan.threads = options.threads > 0 ? options.threads : availableProcessors();
    return plan;
}

} // namespace curtis
