#include "readings/root_invariant.hpp"

#include "chart/chart_lines.hpp"
#include "readings/chain_algebra.hpp"

#include <algorithm>
#include <iterator>

namespace curtis {

namespace {

// The map of words of P_{-N} keeping those on the stored cell `top`, moved
// to the sphere's one cell: the cell meets no lambda's admissibility.
ChainAlgebra::WordMap onCell(int k, Entry top) {
    return [k, top](const Entry* row, Entry* moved) -> std::optional<PairRange> {
        if (row[0] != top) {
            return std::nullopt;
        }
        copyMonomial(moved, row, k + 1);
        moved[0] = 0;
        return noPair;
    };
}

// Adds the class `element` (records, sorted) to a basis kept reduced: each
// element's first record lies in no other element. Nothing where it is a
// sum of the basis.
void addReduced(std::vector<std::vector<std::int32_t>>& basis, std::vector<std::int32_t> element) {
    const auto plus = [](std::vector<std::int32_t>& x, const std::vector<std::int32_t>& y) {
        std::vector<std::int32_t> sum;
        std::set_symmetric_difference(x.begin(), x.end(), y.begin(), y.end(),
                                      std::back_inserter(sum));
        x = std::move(sum);
    };
    for (const std::vector<std::int32_t>& b : basis) {
        if (std::binary_search(element.begin(), element.end(), b.front())) {
            plus(element, b);
        }
    }
    if (element.empty()) {
        return;
    }
    for (std::vector<std::int32_t>& b : basis) {
        if (std::binary_search(b.begin(), b.end(), element.front())) {
            plus(b, element);
        }
    }
    basis.push_back(std::move(element));
}

// The root invariants of a sphere's classes, read off P_{-N}, on the chain
// algebra of P_{-N}'s computation (its own sphere's tables name β).
class RootInvariantReading {
public:
    RootInvariantReading(ChainAlgebra& algebra, const Computation& sphere)
        : algebra_(algebra), sphere_(sphere), projective_(algebra.computation()),
          cells_(projective_.weight()) {}

    // The root invariant of the survivor `word` of level k of degree t of
    // the sphere; none where e(-1) α is zero in P_{-N} or was not computed.
    ChainResult<PrintedRootInvariant> read(std::int32_t t, int k, const Entry* word);

private:
    // The class of e(-1) A in P_{-N} (level k of degree into), A the cycle
    // of the survivor `word` (level k of degree t of the sphere).
    ChainResult<ClassTerms> productClass(std::int32_t t, int k, const Entry* word,
                                         std::int32_t into);
    // The class of the sphere (level x.k of degree at) of the words on the
    // cell `top` of x, a cycle of P_{-N} whose leading term lies there: every
    // word lies at or below it, so those words are a cycle of the sphere.
    ChainResult<ClassTerms> topClass(const Chain& x, Entry top, std::int32_t at);
    // A basis of the classes of the sphere (level k of degree at) that the
    // cells above `top` kill on it: the words of `top` in level k of degree
    // into of P_{-N} Hit by a tag on a higher cell, each with the part on
    // `top` of the boundary that claims it.
    ChainResult<std::vector<ClassTerms>> indeterminacy(std::int32_t into, int k, Entry top,
                                                       std::int32_t at);
    // The words of the sphere's records (level k of degree at).
    std::vector<PrintedMonomial> printed(std::int32_t at, int k, const ClassTerms& records) const;

    ChainAlgebra& algebra_;
    const Computation& sphere_;
    const Computation& projective_;
    std::int32_t cells_; // N: the stored cell of e(c) is c + N
};

ChainResult<ClassTerms> RootInvariantReading::productClass(std::int32_t t, int k, const Entry* word,
                                                           std::int32_t into) {
    const ChainResult<Chain> cycle = algebra_.cycle(sphere_.table(), t, k, word);
    if (!cycle) {
        return ChainResult<ClassTerms>::from(cycle);
    }
    // e(-1) A: each word moved from the sphere's cell 0 to the cell -1.
    const Entry minusOne = static_cast<Entry>(cells_ - 1);
    return algebra_.classOfImage(
        *cycle,
        [k, minusOne](const Entry* row, Entry* moved) -> std::optional<PairRange> {
            copyMonomial(moved, row, k + 1);
            moved[0] = minusOne;
            return noPair;
        },
        ClassLevel(projective_.table(), into, k));
}

ChainResult<ClassTerms> RootInvariantReading::topClass(const Chain& x, Entry top, std::int32_t at) {
    const ChainResult<Chain> part = algebra_.image(x, onCell(x.k, top), at, x.k);
    if (!part) {
        return ChainResult<ClassTerms>::from(part);
    }
    // The part on its own cell of a cycle whose leading term lies there is a
    // cycle with that leading term: not empty.
    if (part->words.empty()) {
        return ChainStatus::Contradiction;
    }
    return algebra_.classOf(*part, projective_.sphere());
}

ChainResult<std::vector<ClassTerms>>
RootInvariantReading::indeterminacy(std::int32_t into, int k, Entry top, std::int32_t at) {
    const CurtisTable& table = projective_.table();
    const LevelRecords& level = table.kept(into, k);
    std::vector<ClassTerms> basis;
    Entry tag[maxMonomialLength];
    for (const std::int32_t record : k >= 1 ? level.increasing() : std::vector<std::int32_t>{}) {
        const Entry* word = level.word(record);
        if (word[0] != top || table.record(into, k, word, tag) != Hit || tag[0] <= top) {
            continue; // not killed from a cell above
        }
        const ChainResult<Chain> boundary = algebra_.claimingBoundary(table, into, k, tag, word);
        if (!boundary) {
            return ChainResult<std::vector<ClassTerms>>::from(boundary);
        }
        ChainResult<ClassTerms> element = topClass(*boundary, top, at);
        if (!element) {
            return ChainResult<std::vector<ClassTerms>>::from(element);
        }
        std::sort(element->begin(), element->end());
        addReduced(basis, std::move(*element));
    }
    return basis;
}

std::vector<PrintedMonomial> RootInvariantReading::printed(std::int32_t at, int k,
                                                           const ClassTerms& records) const {
    std::vector<PrintedMonomial> words;
    for (const std::int32_t record : records) {
        words.push_back(printMonomial(projective_.sphere().kept(at, k).word(record), k + 1, 0));
    }
    return words;
}

ChainResult<PrintedRootInvariant> RootInvariantReading::read(std::int32_t t, int k,
                                                             const Entry* word) {
    const std::int32_t into = rootInvariantDegree(t, cells_);
    if (into > maxTotalDegree || !projective_.computed(into)) {
        return ChainResult<PrintedRootInvariant>::none();
    }
    const ChainResult<ClassTerms> met = productClass(t, k, word, into);
    if (!met || met->empty()) {
        // Zero: the cell that detects it lies below -N.
        return ChainResult<PrintedRootInvariant>::from(met);
    }
    const LevelRecords& level = projective_.table().kept(into, k);
    Entry top = 0;
    for (const std::int32_t record : *met) {
        top = std::max(top, level.word(record)[0]);
    }
    ClassTerms onTop;
    std::copy_if(met->begin(), met->end(), std::back_inserter(onTop),
                 [&](std::int32_t record) { return level.word(record)[0] == top; });
    const ChainResult<Chain> cycles = algebra_.cycle(projective_.table(), into, k, onTop);
    if (!cycles) {
        return ChainResult<PrintedRootInvariant>::from(cycles);
    }
    // The words on cell -k of a degree of P_{-N} lie at degree - top in the
    // sphere.
    const std::int32_t at = into - top;
    const ChainResult<ClassTerms> beta = topClass(*cycles, top, at);
    if (!beta) {
        return ChainResult<PrintedRootInvariant>::from(beta);
    }
    // A survivor's part on its own cell is a cycle with the survivor's
    // lambdas as its leading word: its class is not zero.
    if (beta->empty()) {
        return ChainStatus::Contradiction;
    }
    const ChainResult<std::vector<ClassTerms>> killed = indeterminacy(into, k, top, at);
    if (!killed) {
        return ChainResult<PrintedRootInvariant>::from(killed);
    }
    PrintedRootInvariant value;
    value.k = cells_ - top;
    value.at = Space::sphere().bidegree(at, k + 1);
    value.value = printed(at, k, *beta);
    for (const ClassTerms& element : *killed) {
        value.indeterminacy.push_back(printed(at, k, element));
    }
    return value;
}

} // namespace

std::int32_t rootInvariantCells(std::int32_t lastDegree) {
    return std::clamp(2 * lastDegree, std::int32_t{1}, maxTotalDegree - lastDegree + 1);
}

ChainStatus addRootInvariants(PrintedChart& chart, const Computation& sphere,
                              const Computation& projective, const OnReadingProgress& progress) {
    ChainAlgebra algebra(projective);
    RootInvariantReading reading(algebra, sphere);
    const CurtisTable& table = sphere.table();
    std::size_t total = 0;
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            total += level.classes.size();
        }
    }
    ReadingSteps steps(progress, "root invariants", "classes", total, static_cast<double>(total));
    for (PrintedDegree& degree : chart.degrees) {
        for (PrintedLevel& level : degree.levels) {
            const int k = level.at.k();
            for (ChartClass& c : level.classes) {
                steps.next(degree.t, k, 1.0);
                if (!chart.plan.shows(level.at)) {
                    continue;
                }
                ChainResult<PrintedRootInvariant> read =
                    reading.read(degree.t, k, table.kept(degree.t, k).word(c.record));
                if (read.failed()) {
                    return read.status();
                }
                c.rootInvariant.reset();
                if (read) {
                    c.rootInvariant = std::move(*read);
                }
            }
        }
    }
    return ChainStatus::Ok;
}

} // namespace curtis
