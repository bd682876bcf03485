#include "readings/root_invariant.hpp"

#include "chart/chart_lines.hpp"
#include "readings/class_reader.hpp"

#include <algorithm>
#include <iterator>

namespace curtis {

namespace {

// The reader's key for the stable tables: a sphere above every first index.
constexpr int stableSphere = maxMonomialLength + 1;

// The total degree of the sphere's words of level k in `part`, k + 1 + the
// sum of their indices (of its first word; k + 1 where it has none). For β
// that is stem n + (N - top) - 1, at most that of e(-1) α in P_{-N}.
std::int32_t sphereDegree(const TermSet& part, int k) {
    std::int32_t at = k + 1;
    for (int i = 1; i <= k && part.rowCount() > 0; ++i) {
        at += part.row(0)[i];
    }
    return at;
}

// The root invariants of a sphere's classes, read off P_{-N}.
class RootInvariantReading {
public:
    RootInvariantReading(const Computation& sphere, const Computation& projective)
        : sphere_(sphere), projective_(projective), cells_(projective.weight()) {
        ready_ = chains_.ready();
        for (TermSet* set : {&cycle_, &product_, &part_}) {
            ready_ = ready_ && set->allocate(TermSet::maxRowLimit, maxMonomialLength);
        }
    }

    bool ready() const { return ready_; }

    // The root invariant of the survivor `word` of level k of degree t of
    // the sphere; none where e(-1) α is zero in P_{-N} or was not computed.
    ChainStatus read(std::int32_t t, int k, const Entry* word,
                     std::optional<PrintedRootInvariant>& out);

private:
    // The class of e(-1) A in P_{-N}, A the cycle of the survivor `word`
    // (level k of degree t of the sphere): records of level k of degree
    // into.
    ChainStatus productClass(std::int32_t t, int k, const Entry* word, std::int32_t into,
                             std::vector<std::int32_t>& met);
    // Into part_: the words on the cell `top` of the cycles of those of the
    // survivors `met` (level k of degree into of P_{-N}) that lie on it,
    // moved to the sphere's one cell: a cycle of the sphere.
    ChainStatus topPart(std::int32_t into, int k, const std::vector<std::int32_t>& met, Entry top);
    // Adds to part_ the words of cycle_ (level k) on the cell `top`, moved
    // to the sphere's one cell; false where part_ has no room.
    bool addTopWords(int k, Entry top);
    // A basis of the classes of the sphere (records of level k of degree
    // at) that the cells above `top` kill on it: the words of `top` in
    // level k of degree into of P_{-N} Hit by a tag on a higher cell, each
    // with the part on `top` of the boundary that claims it.
    ChainStatus indeterminacy(std::int32_t into, int k, Entry top, std::int32_t at,
                              std::vector<std::vector<std::int32_t>>& basis);
    // The survivors of level k of degree t of table, as records.
    ChainStatus classOf(const CurtisTable& table, std::int32_t t, int k, const TermSet& cycle,
                        std::vector<std::int32_t>& records) {
        return reader_.read(
            chains_, table, t, k, stableSphere,
            [&] { return ChartSurvivors(table.kept(t, k)).records(); }, cycle, records);
    }

    const Computation& sphere_;
    const Computation& projective_;
    std::int32_t cells_; // N: the stored cell of e(c) is c + N
    TableChains chains_;
    ClassReader reader_;
    TermSet cycle_;
    TermSet product_;
    TermSet part_;
    bool ready_ = false;
};

ChainStatus RootInvariantReading::productClass(std::int32_t t, int k, const Entry* word,
                                               std::int32_t into, std::vector<std::int32_t>& met) {
    cycle_.clear(k + 1);
    const ChainStatus status = chains_.addCycle(sphere_.table(), t, k, word, cycle_);
    if (status != ChainStatus::Ok) {
        return status;
    }
    // e(-1) A: each word moved from the sphere's cell 0 to the cell -1.
    product_.clear(k + 1);
    Entry moved[maxMonomialLength];
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        copyMonomial(moved, cycle_.row(r), k + 1);
        moved[0] = static_cast<Entry>(cells_ - 1);
        if (!product_.toggle(moved)) {
            return ChainStatus::TermSetFull;
        }
    }
    return classOf(projective_.table(), into, k, product_, met);
}

bool RootInvariantReading::addTopWords(int k, Entry top) {
    Entry moved[maxMonomialLength];
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        if (cycle_.row(r)[0] == top) {
            copyMonomial(moved, cycle_.row(r), k + 1);
            moved[0] = 0;
            if (!part_.toggle(moved)) {
                return false;
            }
        }
    }
    return true;
}

ChainStatus RootInvariantReading::topPart(std::int32_t into, int k,
                                          const std::vector<std::int32_t>& met, Entry top) {
    const CurtisTable& table = projective_.table();
    const LevelRecords& level = table.kept(into, k);
    part_.clear(k + 1);
    for (const std::int32_t record : met) {
        if (level.word(record)[0] != top) {
            continue;
        }
        cycle_.clear(k + 1);
        const ChainStatus status = chains_.addCycle(table, into, k, level.word(record), cycle_);
        if (status != ChainStatus::Ok) {
            return status;
        }
        if (!addTopWords(k, top)) {
            return ChainStatus::TermSetFull;
        }
    }
    return ChainStatus::Ok;
}

ChainStatus RootInvariantReading::read(std::int32_t t, int k, const Entry* word,
                                       std::optional<PrintedRootInvariant>& out) {
    out.reset();
    const std::int32_t into = rootInvariantDegree(t, cells_);
    if (into > maxTotalDegree || !projective_.computed(into) ||
        k >= projective_.finalLevels(into)) {
        return ChainStatus::Ok;
    }
    std::vector<std::int32_t> met;
    ChainStatus status = productClass(t, k, word, into, met);
    if (status != ChainStatus::Ok || met.empty()) {
        return status; // zero: the cell that detects it lies below -N
    }
    const LevelRecords& level = projective_.table().kept(into, k);
    Entry top = 0;
    for (const std::int32_t record : met) {
        top = std::max(top, level.word(record)[0]);
    }
    status = topPart(into, k, met, top);
    if (status != ChainStatus::Ok) {
        return status;
    }
    const std::int32_t at = sphereDegree(part_, k);
    const SphereTable& sphere = projective_.sphere();
    std::vector<std::int32_t> beta;
    status =
        part_.rowCount() == 0 ? ChainStatus::Contradiction : classOf(sphere, at, k, part_, beta);
    if (status != ChainStatus::Ok) {
        return status;
    }
    // A survivor's part on its own cell is a cycle with the survivor's
    // lambdas as its leading word: its class is not zero.
    if (beta.empty()) {
        return ChainStatus::Contradiction;
    }
    std::vector<std::vector<std::int32_t>> killed;
    status = indeterminacy(into, k, top, at, killed);
    if (status != ChainStatus::Ok) {
        return status;
    }
    const auto printed = [&](const std::vector<std::int32_t>& records) {
        std::vector<PrintedMonomial> words;
        for (const std::int32_t record : records) {
            words.push_back(printMonomial(sphere.kept(at, k).word(record), k + 1, 0));
        }
        return words;
    };
    PrintedRootInvariant& value = out.emplace();
    value.k = cells_ - top;
    value.at = Space::sphere().bidegree(at, k + 1);
    value.value = printed(beta);
    for (const std::vector<std::int32_t>& element : killed) {
        value.indeterminacy.push_back(printed(element));
    }
    return ChainStatus::Ok;
}

ChainStatus RootInvariantReading::indeterminacy(std::int32_t into, int k, Entry top,
                                                std::int32_t at,
                                                std::vector<std::vector<std::int32_t>>& basis) {
    const CurtisTable& table = projective_.table();
    const LevelRecords& level = table.kept(into, k);
    Entry tag[maxMonomialLength];
    for (const std::int32_t record : k >= 1 ? level.increasing() : std::vector<std::int32_t>{}) {
        const Entry* word = level.word(record);
        if (word[0] != top || table.record(into, k, word, tag) != Hit || tag[0] <= top) {
            continue; // not killed from a cell above
        }
        cycle_.clear(k + 1);
        ChainStatus status = chains_.addClaimingBoundary(table, into, k - 1, tag, word, cycle_);
        if (status != ChainStatus::Ok) {
            return status;
        }
        part_.clear(k + 1);
        if (!addTopWords(k, top)) {
            return ChainStatus::TermSetFull;
        }
        std::vector<std::int32_t> element;
        status = classOf(projective_.sphere(), at, k, part_, element);
        if (status != ChainStatus::Ok) {
            return status;
        }
        // Reduced against the basis so far, by each element's first record.
        std::sort(element.begin(), element.end());
        for (const std::vector<std::int32_t>& b : basis) {
            if (std::binary_search(element.begin(), element.end(), b.front())) {
                std::vector<std::int32_t> sum;
                std::set_symmetric_difference(element.begin(), element.end(), b.begin(), b.end(),
                                              std::back_inserter(sum));
                element = std::move(sum);
            }
        }
        if (!element.empty()) {
            for (std::vector<std::int32_t>& b : basis) {
                if (std::binary_search(b.begin(), b.end(), element.front())) {
                    std::vector<std::int32_t> sum;
                    std::set_symmetric_difference(b.begin(), b.end(), element.begin(),
                                                  element.end(), std::back_inserter(sum));
                    b = std::move(sum);
                }
            }
            basis.push_back(std::move(element));
        }
    }
    return ChainStatus::Ok;
}

} // namespace

std::int32_t rootInvariantCells(std::int32_t lastDegree) {
    return std::clamp(2 * lastDegree, std::int32_t{1}, maxTotalDegree - lastDegree + 1);
}

ChainStatus addRootInvariants(PrintedChart& chart, const Computation& sphere,
                              const Computation& projective, const OnReadingProgress& progress) {
    RootInvariantReading reading(sphere, projective);
    if (!reading.ready()) {
        return ChainStatus::TermSetFull;
    }
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
                const ChainStatus status = reading.read(
                    degree.t, k, table.kept(degree.t, k).word(c.record), c.rootInvariant);
                if (status != ChainStatus::Ok) {
                    return status;
                }
            }
        }
    }
    return ChainStatus::Ok;
}

} // namespace curtis
