#include "chart_tool/options.hpp"

#include "chart/class_ref.hpp"
#include "chart/vanishing_line.hpp"
#include "chart_tool/chart_formats.hpp"
#include "chart_tool/refusals.hpp"
#include "chart_tool/suggestion.hpp"
#include "readings/root_invariant.hpp"
#include "system/processors.hpp"
#include "table/computation.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
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

// The factors h_i of --products: N for h0 .. hN, or a list such as h0,h4;
// or why not.
std::string settleFactors(const std::string& given, std::vector<int>& factors) {
    const std::string refusal = "--products " + given +
                                " is neither N (0 to 5: h0 to hN) nor a list of h0 to h5 "
                                "such as h0,h4";
    factors.clear();
    if (const int n = smallNumber(given).value_or(-1); n >= 0) {
        for (int i = 0; i <= n && n < productFactorCount; ++i) {
            factors.push_back(i);
        }
        return factors.empty() ? refusal : "";
    }
    std::size_t at = 0;
    while (at <= given.size()) {
        const std::size_t end = std::min(given.find(',', at), given.size());
        const std::string item = given.substr(at, end - at);
        const int i =
            item.size() == 2 && item[0] == 'h' ? smallNumber(item.substr(1)).value_or(-1) : -1;
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
        const std::optional<SphereClassRef> x = parseClassRef(text);
        if (!x) {
            return "--multiply " + text +
                   " is not STEM:FILTRATION:INDEX (14:4:0: the first class of stem 14, "
                   "filtration 4)";
        }
        classes.push_back(*x);
    }
    return "";
}

// The maps of --map, or why not.
std::string settleMaps(const std::vector<std::string>& given, std::vector<ChartMap>& maps) {
    for (const std::string& text : given) {
        std::string why;
        const std::optional<ChartMap> map = parseChartMap(text, why);
        if (!map) {
            return why;
        }
        for (const ChartMap& earlier : maps) {
            if (earlier.name() == map->name()) {
                return "--map " + text + " was given more than once; give it once";
            }
        }
        maps.push_back(*map);
    }
    return "";
}

// An option's value as the parser leaves it: a whole number, a flag, a text
// or the texts of an option that may be given more than once.
using Value = std::variant<long long, bool, std::string, std::vector<std::string>>;

// Settles an option's value into the plan, or says why it cannot be had.
using Settle = std::function<std::string(ChartPlan& plan, const Value& given, const CLI::App& app)>;

// An option of the command line, its check and what it settles in the plan:
// a whole number in a range, a flag, or a text (one of `choices`, where
// there are any). Only an option that was given settles its value; the
// plan's own defaults stand for the others.
struct OptionRow {
    const char* names = nullptr;
    const char* value = nullptr; // the value's name in the help; null for a flag
    std::string help;
    Value given; // where the parser writes, of the kind the option takes
    long long low = 0;
    long long high = 0;
    bool valueOptional = false; // the value may be left out: then it is `fallback`
    std::vector<std::string> choices;
    const char* fallback = "1";
    Settle settle;                 // empty: the option settles nothing
    CLI::Option* option = nullptr; // once added to the parser
};

OptionRow optionRow(const char* names, const char* value, std::string help, Value given,
                    Settle settle) {
    OptionRow row;
    row.names = names;
    row.value = value;
    row.help = std::move(help);
    row.given = std::move(given);
    row.settle = std::move(settle);
    return row;
}

// The whole numbers given all lie within the bounds of std::int32_t.
std::int32_t whole(const Value& given) {
    return static_cast<std::int32_t>(std::get<long long>(given));
}

// A whole number from low to high; set null: its row settles it otherwise,
// or it settles nothing.
OptionRow number(const char* names, const char* value, std::string help,
                 void (*set)(ChartPlan& plan, std::int32_t given), long long low, long long high) {
    Settle settle;
    if (set != nullptr) {
        settle = [set](ChartPlan& plan, const Value& given, const CLI::App&) {
            set(plan, whole(given));
            return std::string();
        };
    }
    OptionRow row = optionRow(names, value, std::move(help), 0LL, std::move(settle));
    row.low = low;
    row.high = high;
    return row;
}

OptionRow flag(const char* names, std::string help, void (*set)(ChartPlan& plan)) {
    return optionRow(names, nullptr, std::move(help), false,
                     [set](ChartPlan& plan, const Value&, const CLI::App&) {
                         set(plan);
                         return std::string();
                     });
}

OptionRow text(const char* names, const char* value, std::string help,
               void (*set)(ChartPlan& plan, const std::string& given)) {
    return optionRow(names, value, std::move(help), std::string(),
                     [set](ChartPlan& plan, const Value& given, const CLI::App&) {
                         set(plan, std::get<std::string>(given));
                         return std::string();
                     });
}

template <typename Change> OptionRow with(OptionRow row, Change&& change) {
    change(row);
    return row;
}

// How many times the option of this name was given.
std::size_t count(const CLI::App& app, const char* name) {
    return app.get_option(name)->count();
}

// The top cell closes the space --weight or --bottom-cell opened.
std::string settleTopCell(ChartPlan& plan, const Value& given, const CLI::App& app) {
    if (count(app, "--sphere") > 0) {
        return "--top-cell goes with --weight or --bottom-cell, not with --sphere";
    }
    const std::int32_t bottom = plan.space.bottomCell();
    if (whole(given) < bottom) {
        return "--top-cell " + std::to_string(std::get<long long>(given)) +
               " is below the bottom cell " + std::to_string(bottom);
    }
    plan.space = Space(bottom, whole(given));
    return "";
}

// The space and the range of degrees.
std::vector<OptionRow> spaceRows() {
    const std::string weights =
        std::to_string(-maxWeightMagnitude) + " to " + std::to_string(maxWeightMagnitude);
    const long long cells = maxWeightMagnitude;
    return {
        number(
            "-w,--weight", "W",
            "the weight W, " + weights + ": the space P_{-W}, whose cells\nrun from -W upward",
            [](ChartPlan& plan, std::int32_t given) { plan.space = Space(-given, std::nullopt); },
            -cells, cells),
        number(
            "-a,--bottom-cell", "A",
            "the bottom cell A, " + weights +
                ": the space P_A, the\nsame as --weight -A (RP^∞ is --bottom-cell 1)",
            [](ChartPlan& plan, std::int32_t given) { plan.space = Space(given, std::nullopt); },
            -cells, cells),
        flag("--sphere", "the sphere S^0 = P_0^0, the same as --bottom-cell 0\n--top-cell 0",
             [](ChartPlan& plan) { plan.space = Space::sphere(); }),
        with(number("-b,--top-cell", "B",
                    "the top cell B, from the bottom cell to " + std::to_string(cells) +
                        ": the\nfinite space P_A^B (RP^n is --bottom-cell 1 --top-cell n);\n"
                        "with --weight or --bottom-cell",
                    nullptr, -cells, cells),
             [](OptionRow& row) { row.settle = settleTopCell; }),
        number(
            "-T,--max-degree", "T",
            "the largest total degree t computed, 1 to " + std::to_string(maxTotalDegree) +
                "\n(this or --max-stem is required)",
            [](ChartPlan& plan, std::int32_t given) { plan.degrees.last = given; }, 1,
            maxBandDegree),
        number(
            "--min-degree", "T0", "the smallest total degree t computed (default 1)",
            [](ChartPlan& plan, std::int32_t given) { plan.degrees.first = given; }, 1,
            maxBandDegree),
        number(
            "--max-stem", "N",
            "the stems up to N, in every filtration of --max-filtration;\n"
            "for the sphere without it, every filtration Adams' vanishing\n"
            "line leaves (the tower of stem 0 cut there)",
            [](ChartPlan& plan, std::int32_t given) {
                plan.stems = StemRange{plan.space.bottomCell(), given};
            },
            -cells, cells),
        number(
            "--min-stem", "M", "with --max-stem: the stems from M (default: the bottom cell)",
            [](ChartPlan& plan, std::int32_t given) {
                if (plan.stems) {
                    plan.stems->first = given;
                }
            },
            -cells, cells),
        number(
            "--max-filtration", "F",
            "only the Adams filtrations 0 to F (levels s <= F + 1), exact,\n"
            "and far faster than the whole degrees",
            [](ChartPlan& plan, std::int32_t given) { plan.band = given; }, 0, maxFiltrationBound),
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
        with(text("-f,--format", "FORMAT", formatHelp,
                  [](ChartPlan& plan, const std::string& given) { plan.format = given; }),
             [&](OptionRow& row) { row.choices = formatNames; }),
        with(number(
                 "--arrows", "[N]",
                 "svg: draw the pairings that change the cell as arrows,\n"
                 "those that change it by N or more (default 1: all;\n"
                 "--arrows 2 leaves out the Sq^1 pairings)",
                 [](ChartPlan& plan, std::int32_t given) {
                     plan.drawing.arrowsFromCellDifference = given;
                 },
                 1, cells),
             [](OptionRow& row) { row.valueOptional = true; }),
    };
}

// What the chart reads off its classes.
std::vector<OptionRow> readingRows() {
    return {
        with(optionRow("--products", "[N|LIST]",
                       "the products by h0, h1, h2 and h3 of every survivor whose\n"
                       "product lands within the computed degrees (" +
                           formatsThat(&ChartFormat::showsProducts) +
                           ");\nN: by h0 to hN (N up to 5); a list such as h0,h4: by those",
                       std::string(),
                       [](ChartPlan& plan, const Value& given, const CLI::App&) {
                           plan.readings.products = true;
                           return settleFactors(std::get<std::string>(given),
                                                plan.readings.productFactors);
                       }),
             [](OptionRow& row) {
                 row.valueOptional = true;
                 row.fallback = "3";
             }),
        optionRow("--multiply", "STEM:FILTRATION:INDEX",
                  "the product of every survivor by the sphere's class of that\n"
                  "stem and filtration, numbered from 0 as the JSON lists them\n"
                  "(14:4:0 is d0); may be given more than once (json, tsv;\n"
                  "a product of more than 2^30 terms is refused)",
                  std::vector<std::string>(),
                  [](ChartPlan& plan, const Value& given, const CLI::App&) {
                      return settleMultiply(std::get<std::vector<std::string>>(given),
                                            plan.readings.multiply);
                  }),
        flag("--cycles",
             "the cycle of every survivor: the survivor and the words its\n"
             "elimination added (json, tsv; a cycle of more than 100000\n"
             "terms is refused)",
             [](ChartPlan& plan) { plan.readings.cycles = true; }),
        flag("--h3-lines", "svg, tex with --products: draw h3 lines too",
             [](ChartPlan& plan) { plan.drawing.h3Lines = true; }),
        flag("--uncut",
             "svg: draw every filtration; by default a tower is cut two rows\n"
             "above every other class, with an arrow (the page moves the cut)",
             [](ChartPlan& plan) { plan.drawing.uncut = true; }),
        flag("--ehp",
             "with --sphere: the table read as the algebraic EHP sequence:\n"
             "the sphere each survivor is born on, and every pairing that\n"
             "changes the first index, with the spheres its target is born\n"
             "and dies on (json, svg, tsv; the JSON of the sphere to\n"
             "t = 40 takes 203 kB with it, 102 kB without)",
             [](ChartPlan& plan) { plan.readings.ehp = true; }),
        flag("--transfer",
             "with --bottom-cell 0 or 1 (RP^b_+ or RP^b): the image of every\n"
             "survivor under the algebraic transfer to the sphere,\n"
             "Ext^{s,t}(P) -> Ext^{s+1,t+1}(S^0) (" +
                 formatsThat(&ChartFormat::showsTransfer) +
                 "); computes the sphere's\ntables to T + 1 + A",
             [](ChartPlan& plan) { plan.readings.transfer = true; }),
    };
}

// The maps whose images the chart reads off its classes.
std::vector<OptionRow> mapRows() {
    return {
        optionRow("--map", "MAP",
                  "the image of every class under a map, MAP one of\n"
                  "include:C (P_A^B -> P_A^C, C a cell or inf), pinch:B\n"
                  "(P_A^C -> P_(B+1)^C), boundary:A (P_(B+1)^C -> P_A^B: stem - 1,\n"
                  "filtration + 1), and with --unstable N: E (S^N -> S^(N+1)),\n"
                  "H (S^N -> S^(2N-1)) and P (S^(2M+1) -> S^M); may be given\n"
                  "more than once (" +
                      formatsThat(&ChartFormat::showsMaps) + ")",
                  std::vector<std::string>(),
                  [](ChartPlan& plan, const Value& given, const CLI::App&) {
                      return settleMaps(std::get<std::vector<std::string>>(given),
                                        plan.readings.maps);
                  }),
    };
}

// The unstable chart, the cache, the threads, the output.
std::vector<OptionRow> runRows() {
    const long long cells = maxWeightMagnitude;
    return {
        with(number(
                 "--root-invariant", "[N]",
                 "with --sphere: the algebraic root invariant of every class,\n"
                 "read off P_{-N} (default N: twice the last total degree)\n"
                 "(json, tsv, html)",
                 [](ChartPlan& plan, std::int32_t given) { plan.readings.rootInvariant = given; },
                 0, maxTotalDegree),
             [](OptionRow& row) {
                 row.valueOptional = true;
                 row.fallback = "0";
             }),
        number(
            "--unstable", "N",
            "with --sphere: the unstable Adams E2 term of S^N, read off\n"
            "the sphere's table (stem k is that of pi_{N+k}(S^N))",
            [](ChartPlan& plan, std::int32_t given) { plan.readings.unstable = given; }, 1, cells),
        text("--cache", "DIR",
             "keep the tables' finished degrees in DIR, and read from it\n"
             "what an earlier run (or a run beside this one) finished",
             [](ChartPlan& plan, const std::string& given) { plan.cache = given; }),
        flag("--trust-cache",
             "use a cache directory that other users own or may write (a\n"
             "directory shared on purpose); everything read is still checked",
             [](ChartPlan& plan) { plan.trustCache = true; }),
        number("--checkpoint-minutes", "M",
               "ignored, with a warning: degrees take seconds now and save\n"
               "no checkpoints; accepted so that scripts that pass it run",
               nullptr, 0, 1000000),
        number(
            "--threads", "N",
            "eliminate and read products on N threads (default: one per\n"
            "processor this process may use; from 2 on, one more reads\n"
            "products at the lowest priority while the chart is computed);\n"
            "the chart is the same for any N",
            [](ChartPlan& plan, std::int32_t given) { plan.threads = given; }, 1, 256),
        text("-o,--output", "FILE",
             "write to FILE instead of standard output; FILE appears only\n"
             "once it is complete",
             [](ChartPlan& plan, const std::string& given) { plan.output = given; }),
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
                  [](ChartPlan& plan, const std::string& given) {
                      plan.drawing.chart = given == "ehp"     ? ChartKind::Ehp
                                           : given == "cells" ? ChartKind::Cells
                                                              : ChartKind::Adams;
                  }),
             [](OptionRow& row) {
                 row.choices = {"adams", "ehp", "cells"};
             }),
        flag("--tex-body",
             "tex: the spectralsequences page alone, to put in a document\n"
             "that loads the package",
             [](ChartPlan& plan) { plan.drawing.texBody = true; }),
    };
}

// What the chart reads of the sphere's ring by name.
std::vector<OptionRow> nameRows() {
    return {
        flag("--names",
             "every class named: the sphere's as a sum of monomials in its\n"
             "algebra generators, named as the literature names them\n"
             "(h0^4 h4 + h1 d0); a class of P_A^B by the sphere's class of\n"
             "its leading term on its cell (h1[3]); a class of S^N\n"
             "(--unstable) by its stable name, or born on S^m with Hopf\n"
             "invariant X as X[m] (json, svg, tsv, html)",
             [](ChartPlan& plan) { plan.readings.names = true; }),
        optionRow("--massey", "A,B,C",
                  "with --sphere: the Massey product <A, B, C> and its\n"
                  "indeterminacy, each class a generator's name, a product of\n"
                  "them (h2^2) or STEM:FILTRATION:INDEX; may be given more\n"
                  "than once (json, tsv)",
                  std::vector<std::string>(),
                  [](ChartPlan& plan, const Value& given, const CLI::App&) {
                      plan.readings.massey = std::get<std::vector<std::string>>(given);
                      return std::string();
                  }),
        flag("--periodicity",
             "with --sphere: P(x) = <h3, h0^4, x> of every class where\n"
             "h0^4 x = 0, with its indeterminacy (json, tsv; html draws\n"
             "it on request)",
             [](ChartPlan& plan) { plan.readings.periodicity = true; }),
        flag("--sq0",
             "the sphere: Sq^0 of every survivor, its cycle with every\n"
             "lambda_i made lambda_(2i+1), read in filtration s at stem\n"
             "2n + s (json)",
             [](ChartPlan& plan) { plan.readings.sq0 = true; }),
    };
}

// Every option, in the order of the help.
std::vector<OptionRow> optionRows() {
    std::vector<OptionRow> rows = spaceRows();
    for (std::vector<OptionRow> more :
         {outputRows(), readingRows(), mapRows(), chartRows(), nameRows(), runRows()}) {
        for (OptionRow& row : more) {
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

// Adds the row's option to app, its value to go to the row.
void addOption(CLI::App& app, OptionRow& row) {
    if (bool* flag = std::get_if<bool>(&row.given)) {
        row.option = app.add_flag(row.names, *flag, row.help);
        return;
    }
    CLI::Option* option = nullptr;
    if (long long* number = std::get_if<long long>(&row.given)) {
        option =
            app.add_option(row.names, *number, row.help)->check(wholeNumber(row.low, row.high));
    } else if (auto* list = std::get_if<std::vector<std::string>>(&row.given)) {
        option = app.add_option(row.names, *list, row.help)->expected(1)->take_all();
    } else {
        option = app.add_option(row.names, std::get<std::string>(row.given), row.help);
    }
    option->option_text(row.value);
    if (row.valueOptional) {
        option->expected(0, 1)->default_str(row.fallback);
    }
    if (!row.choices.empty()) {
        option->check(CLI::IsMember(row.choices).description(""));
    }
    row.option = option;
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

// What the parser did not expect: an unknown option near a known one,
// named with the one it was probably meant to be; else the parser's words.
std::string unexpected(const CLI::App& app, const CLI::ExtrasError& error) {
    std::vector<std::string> known;
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames()) {
            known.push_back("--" + name);
        }
    }
    for (const std::string& extra : app.remaining()) {
        if (const std::string near = nearestOption(extra, known); !near.empty()) {
            return extra.substr(0, extra.find('=')) + " is not an option; did you mean " + near +
                   "?";
        }
    }
    return error.what();
}

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
    } catch (const CLI::ExtrasError& error) {
        complain(err, unexpected(app, error));
        return ParseOutcome::Error;
    } catch (const CLI::ParseError& error) {
        complain(err, error.what());
        return ParseOutcome::Error;
    }
    // Flags may be given again without complaint from the parser; only
    // --multiply, --massey and --map may be given more than once.
    for (const CLI::Option* option : app.get_options()) {
        if (option->count() > 1 && option->get_name() != "--multiply" &&
            option->get_name() != "--massey" && option->get_name() != "--map") {
            complain(err, option->get_name() + " was given more than once; give it once");
            return ParseOutcome::Error;
        }
    }
    return ParseOutcome::Run;
}

// The space is given by exactly one of --weight, --bottom-cell and --sphere.
std::string spaceRefusal(const CLI::App& app) {
    const std::size_t spaces =
        count(app, "--weight") + count(app, "--bottom-cell") + count(app, "--sphere");
    if (spaces != 1) {
        return spaces == 0 ? "the space is required: --weight, --bottom-cell or --sphere"
                           : "give only one of --weight, --bottom-cell and --sphere";
    }
    return "";
}

// Settles every option given into the plan, in the order of the rows, or
// says why the first that cannot be had cannot.
std::string settleRows(const std::vector<OptionRow>& rows, const CLI::App& app, ChartPlan& plan) {
    for (const OptionRow& row : rows) {
        if (row.option->count() > 0 && row.settle) {
            if (std::string refusal = row.settle(plan, row.given, app); !refusal.empty()) {
                return refusal;
            }
        }
    }
    return "";
}

// The degrees of a range asked for by stems, or why it cannot be had.
std::string settleStems(const CLI::App& app, ChartPlan& plan) {
    if (!plan.stems) {
        return count(app, "--min-stem") > 0 ? "--min-stem goes with --max-stem"
               : count(app, "--max-degree") == 0
                   ? "the range is required: --max-degree T, or --max-stem N"
                   : "";
    }
    if (count(app, "--max-degree") > 0 || count(app, "--min-degree") > 0) {
        return "give the range by stems (--max-stem, --min-stem) or by total degrees "
               "(--max-degree, --min-degree), not both";
    }
    if (findChartFormat(plan.format)->wholeDegrees) {
        return "--max-stem shows a rectangle of stems; the " + plan.format +
               " format is the chart of whole total degrees, asked for with --max-degree";
    }
    const long long a = plan.space.bottomCell();
    const long long first = plan.stems->first;
    const long long last = plan.stems->last;
    if (first > last) {
        return "--min-stem " + std::to_string(first) + " is above --max-stem " +
               std::to_string(last);
    }
    if (!plan.band) {
        if (!plan.space.singleCell()) {
            return "--max-stem needs --max-filtration for P_A^B: each cell brings an h0-tower, "
                   "and towers remain (at stem A for even A, at stem B for odd B), so no "
                   "filtration bounds a range of stems";
        }
        plan.band = vanishingFiltration(last - a);
    }
    // Stem k and filtration f lie in total degree k - a + f + 1.
    const long long maxT = last - a + *plan.band + 1;
    if (maxT < 1 || maxT > maxBandDegree) {
        return "--max-stem " + std::to_string(last) +
               " needs the total degrees up to t = " + std::to_string(maxT) + ", outside 1 to " +
               std::to_string(maxBandDegree);
    }
    plan.degrees = DegreeRange{static_cast<std::int32_t>(std::max(1LL, first - a + 1)),
                               static_cast<std::int32_t>(maxT)};
    return "";
}

// The plan before any option is settled.
ChartPlan defaultPlan() {
    ChartPlan plan;
    plan.format = chartFormats().front().name;
    plan.threads = availableProcessors();
    return plan;
}

} // namespace

ParseOutcome parseChartOptions(int argc, const char* const* argv, ChartPlan& plan, std::FILE* out,
                               std::FILE* err) {
    CLI::App app{"curtis-chart: whole charts of the Curtis algorithm over the mod-2 Lambda "
                 "algebra,\nfor one stunted projective space P_A^B (or the sphere) and a range "
                 "of total\ndegrees, as JSON, as the chart text of curtis, or as an Adams-style "
                 "picture in SVG.",
                 "curtis-chart"};
    app.get_formatter()->column_width(30);
    // The parser writes into the rows: they stay where they are from here on.
    std::vector<OptionRow> rows = optionRows();
    for (OptionRow& row : rows) {
        addOption(app, row);
    }
    const ParseOutcome outcome = parseInto(app, argc, argv, out, err);
    if (outcome != ParseOutcome::Run) {
        return outcome;
    }
    plan = defaultPlan();
    std::string refusal = spaceRefusal(app);
    if (refusal.empty()) {
        refusal = settleRows(rows, app, plan);
    }
    if (refusal.empty()) {
        refusal = settleStems(app, plan);
    }
    if (plan.readings.rootInvariant == 0) {
        plan.readings.rootInvariant = rootInvariantCells(plan.degrees.last);
    }
    if (refusal.empty()) {
        if (count(app, "--checkpoint-minutes") > 0) {
            std::fputs("curtis-chart: warning: --checkpoint-minutes is ignored: a degree is "
                       "computed from the sphere's tables in seconds and saves no checkpoints\n",
                       err);
        }
        refusal = refusalOf(Settled{plan, *findChartFormat(plan.format), app});
    }
    if (!refusal.empty()) {
        complain(err, refusal);
        return ParseOutcome::Error;
    }
    return ParseOutcome::Run;
}

} // namespace curtis
