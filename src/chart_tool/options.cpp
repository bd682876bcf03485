#include "chart_tool/options.hpp"

#include "table/computation.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>
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
        const std::int32_t sphereT = T + 1 - options.weight;
        if (sphereT > maxTotalDegree) {
            return "--max-degree " + std::to_string(T) + " is too large for --transfer, which " +
                   "reads the sphere's table of t = " + std::to_string(sphereT);
        }
    }
    return "";
}

// Why a combination of options is refused, or nothing: an option that would
// do nothing in the chosen format or without its companion is refused
// rather than ignored.
std::string refusalOf(const ChartOptions& options, bool sphere) {
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
    if ((options.ehp || options.unstable) && !sphere) {
        return std::string(options.ehp ? "--ehp" : "--unstable") +
               " reads the sphere's table: it goes with --sphere";
    }
    if (options.ehp && !options.format->showsEhp) {
        return "--ehp does nothing with --format " + format + ", which shows no births";
    }
    if (options.unstable) {
        for (const auto& [given, name] :
             {std::pair{options.products, "--products"}, std::pair{options.arrows > 0, "--arrows"},
              std::pair{options.ehp, "--ehp"}}) {
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
    return degreeRefusal(options);
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
    const std::string weightRange =
        std::to_string(-maxWeightMagnitude) + " to " + std::to_string(maxWeightMagnitude);
    const std::string degreeRange = "1 to " + std::to_string(maxTotalDegree);
    std::int32_t bottomCell = 0;
    std::int32_t topCell = 0;
    bool sphereFlag = false;
    CLI::Option* weight = app.add_option("-w,--weight", options.weight,
                                         "the weight W, " + weightRange +
                                             ": the space P_{-W}, whose cells\n"
                                             "run from -W upward")
                              ->option_text("W")
                              ->check(wholeNumber(-maxWeightMagnitude, maxWeightMagnitude));
    CLI::Option* bottom = app.add_option("-a,--bottom-cell", bottomCell,
                                         "the bottom cell A, " + weightRange +
                                             ": the space P_A, the\n"
                                             "same as --weight -A (RP^∞ is --bottom-cell 1)")
                              ->option_text("A")
                              ->check(wholeNumber(-maxWeightMagnitude, maxWeightMagnitude));
    CLI::Option* sphere =
        app.add_flag("--sphere", sphereFlag,
                     "the sphere S^0 = P_0^0, the same as --bottom-cell 0\n--top-cell 0");
    CLI::Option* top =
        app.add_option("-b,--top-cell", topCell,
                       "the top cell B, from the bottom cell to " +
                           std::to_string(maxWeightMagnitude) +
                           ": the\nfinite space P_A^B (RP^n is --bottom-cell 1 --top-cell n);\n"
                           "with --weight or --bottom-cell")
            ->option_text("B")
            ->check(wholeNumber(-maxWeightMagnitude, maxWeightMagnitude));
    app.add_option("-T,--max-degree", options.maxDegree,
                   "the largest total degree t computed, " + degreeRange)
        ->option_text("T REQUIRED")
        ->required()
        ->check(wholeNumber(1, maxBandDegree));
    app.add_option("--min-degree", options.minDegree,
                   "the smallest total degree t computed (default 1)")
        ->option_text("T0")
        ->check(wholeNumber(1, maxBandDegree));
    int maxFiltration = 0;
    CLI::Option* band =
        app.add_option("--max-filtration", maxFiltration,
                       "only the Adams filtrations 0 to F (levels s <= F + 1), exact,\n"
                       "and far faster than the whole degrees")
            ->option_text("F")
            ->check(wholeNumber(0, maxFiltrationBound));
    std::string format = chartFormats().front().name;
    std::string formatHelp;
    std::vector<std::string> formatNames;
    for (const ChartFormat& entry : chartFormats()) {
        formatHelp += std::string(formatHelp.empty() ? "" : ";\n") + entry.name + ": " + entry.help;
        formatNames.push_back(entry.name);
    }
    app.add_option("-f,--format", format, formatHelp)
        ->option_text("FORMAT")
        ->check(CLI::IsMember(formatNames).description(""));
    CLI::Option* arrows = app.add_option("--arrows", options.arrows,
                                         "svg: draw the pairings that change the cell as arrows,\n"
                                         "those that change it by N or more (default 1: all;\n"
                                         "--arrows 2 leaves out the Sq^1 pairings)")
                              ->option_text("[N]")
                              ->expected(0, 1)
                              ->default_str("1")
                              ->check(wholeNumber(1, maxWeightMagnitude));
    const std::string productFormats = formatsThat(&ChartFormat::showsProducts);
    app.add_flag("--products", options.products,
                 "the products by h0, h1, h2 and h3 of every survivor whose\n"
                 "product lands within the computed degrees (" +
                     productFormats + ")");
    app.add_flag("--h3-lines", options.h3Lines, "svg with --products: draw h3 lines too");
    app.add_flag("--ehp", options.ehp,
                 "with --sphere: the table read as the algebraic EHP sequence:\n"
                 "the sphere each survivor is born on, and every pairing that\n"
                 "changes the first index, with the spheres its target is born\n"
                 "and dies on (json, svg, tsv; the JSON of the sphere to\n"
                 "t = 40 takes 203 kB with it, 102 kB without)");
    const std::string transferFormats = formatsThat(&ChartFormat::showsTransfer);
    app.add_flag("--transfer", options.transfer,
                 "with --bottom-cell 0 or 1 (RP^b_+ or RP^b): the image of every\n"
                 "survivor under the algebraic transfer to the sphere,\n"
                 "Ext^{s,t}(P) -> Ext^{s+1,t+1}(S^0) (" +
                     transferFormats +
                     "); computes the sphere's\n"
                     "tables to T + 1 + A");
    int unstableSphere = 0;
    CLI::Option* unstable =
        app.add_option("--unstable", unstableSphere,
                       "with --sphere: the unstable Adams E2 term of S^N, read off\n"
                       "the sphere's table (stem k is that of pi_{N+k}(S^N))")
            ->option_text("N")
            ->check(wholeNumber(1, maxWeightMagnitude));
    app.add_option("--cache", options.cache,
                   "keep every finished degree in DIR, and take from it what an\n"
                   "earlier run (or a run beside this one) finished")
        ->option_text("DIR");
    int checkpointMinutes = 0;
    CLI::Option* checkpoints =
        app.add_option("--checkpoint-minutes", checkpointMinutes,
                       "ignored, with a warning: degrees take seconds now and save\n"
                       "no checkpoints; accepted so that scripts that pass it run")
            ->option_text("M")
            ->check(wholeNumber(0, 1000000));
    app.add_option("--threads", options.threads,
                   "eliminate on N threads (default: one per processor this\n"
                   "process may use); the chart is the same for any N")
        ->option_text("N")
        ->check(wholeNumber(1, 256));
    app.add_option("-o,--output", options.output,
                   "write to FILE instead of standard output; FILE appears only\n"
                   "once it is complete")
        ->option_text("FILE");
    const std::string version = std::string("curtis-chart ") + CURTIS_VERSION;
    app.set_version_flag("--version", version, "print the version and exit");
    app.footer(
        "Reading the JSON: for an Adams chart take \"stem\" as x and \"filtration\" (s - 1)\n"
        "as y; a class lies in Ext^{s',t'} with s' = \"filtration\" and t' =\n"
        "\"internal_degree\" (stem + s'). \"t\" and \"s\" are the program's own degrees.\n"
        "A dot's cell is the cell that detects the class in the algebraic\n"
        "Atiyah-Hirzebruch spectral sequence.\n\n"
        "Exit status: 0 done, 1 the output could not be written, 2 bad arguments,\n"
        "255 the memory the computation needs could not be obtained, or the table\n"
        "was contradicted.");
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
    // Flags may be given again without complaint from the parser.
    for (const CLI::Option* option : app.get_options()) {
        if (option->count() > 1) {
            complain(err, option->get_name() + " was given more than once; give it once");
            return ParseOutcome::Error;
        }
    }
    const std::size_t spaces = weight->count() + bottom->count() + sphere->count();
    if (spaces != 1) {
        complain(err, spaces == 0 ? "the space is required: --weight, --bottom-cell or --sphere"
                                  : "give only one of --weight, --bottom-cell and --sphere");
        return ParseOutcome::Error;
    }
    if (sphere->count() > 0 && top->count() > 0) {
        complain(err, "--top-cell goes with --weight or --bottom-cell, not with --sphere");
        return ParseOutcome::Error;
    }
    if (bottom->count() > 0) {
        options.weight = -bottomCell;
    }
    if (sphere->count() > 0) {
        options.weight = 0;
        options.topCell = 0;
    }
    if (top->count() > 0) {
        if (topCell < -options.weight) {
            complain(err, "--top-cell " + std::to_string(topCell) + " is below the bottom cell " +
                              std::to_string(-options.weight));
            return ParseOutcome::Error;
        }
        options.topCell = topCell;
    }
    options.format = findChartFormat(format);
    if (unstable->count() > 0) {
        options.unstable = unstableSphere;
    }
    if (band->count() > 0) {
        options.maxFiltration = maxFiltration;
    }
    if (checkpoints->count() > 0) {
        std::fputs("curtis-chart: warning: --checkpoint-minutes is ignored: a degree is "
                   "computed from the sphere's tables in seconds and saves no checkpoints\n",
                   err);
    }
    if (arrows->count() == 0) {
        options.arrows = 0;
    }
    const std::string refusal = refusalOf(options, sphere->count() > 0);
    if (!refusal.empty()) {
        complain(err, refusal);
        return ParseOutcome::Error;
    }
    return ParseOutcome::Run;
}

} // namespace curtis
