#include "elimination/level_elimination.hpp"

#include "algebra/boundary.hpp"
#include "algebra/monomial.hpp"
#include "algebra/reduction.hpp"

#include <algorithm>

namespace curtis {

namespace {

// The position of the greatest row of a non-empty set.
std::int32_t leadingTerm(const TermSet& set) {
    std::int32_t leading = 0;
    for (std::int32_t i = 1; i < set.rowCount; ++i) {
        if (compareMonomials(set.row(i), set.row(leading), set.rowLength) > 0) {
            leading = i;
        }
    }
    return leading;
}

// Binary search of z among records lo to hi of level k + 1.
std::int32_t searchBetween(const GeneratorTables& tables, int k, const std::int32_t* z,
                           std::int32_t lo, std::int32_t hi) {
    while (lo <= hi) {
        const std::int32_t mid = lo + (hi - lo) / 2;
        const int order = compareMonomials(z, tables.word(k + 1, mid), k + 2);
        if (order > 0) {
            hi = mid - 1;
        } else if (order < 0) {
            lo = mid + 1;
        } else {
            return mid;
        }
    }
    return -1;
}

} // namespace

std::int32_t findGenerator(const GeneratorTables& tables, int k, const std::int32_t* z) {
    return searchBetween(tables, k, z, 0, tables.levelCount[k + 1] - 1);
}

std::int32_t findGenerator(const GeneratorTables& tables, int k, const std::int32_t* z,
                           std::int32_t hint) {
    const std::int64_t count = tables.levelCount[k + 1];
    if (count == 0) {
        return -1;
    }
    hint = static_cast<std::int32_t>(std::clamp<std::int64_t>(hint, 0, count - 1));
    const int order = compareMonomials(z, tables.word(k + 1, hint), k + 2);
    if (order == 0) {
        return hint;
    }
    // Records are in decreasing order: a smaller z lies after the hint.
    const std::int64_t direction = order < 0 ? 1 : -1;
    std::int64_t passed = hint; // the last record known to lie on the hint's side of z
    for (std::int64_t step = 1;; step *= 2) {
        const std::int64_t probe = hint + direction * step;
        if (probe < 0 || probe >= count) {
            break;
        }
        const int probed = compareMonomials(z, tables.word(k + 1, probe), k + 2);
        if (probed == 0) {
            return static_cast<std::int32_t>(probe);
        }
        if ((probed < 0) != (order < 0)) {
            // z lies strictly between `passed` and `probe`.
            return direction > 0
                       ? searchBetween(tables, k, z, static_cast<std::int32_t>(passed + 1),
                                       static_cast<std::int32_t>(probe - 1))
                       : searchBetween(tables, k, z, static_cast<std::int32_t>(probe + 1),
                                       static_cast<std::int32_t>(passed - 1));
        }
        passed = probe;
    }
    return direction > 0 ? searchBetween(tables, k, z, static_cast<std::int32_t>(passed + 1),
                                         static_cast<std::int32_t>(count - 1))
                         : searchBetween(tables, k, z, 0, static_cast<std::int32_t>(passed - 1));
}

EliminationStatus eliminateLevel(GeneratorTables& tables, int k, std::int32_t w) {
    TermSet& set = tables.termSet;
    std::int32_t* word = tables.currentWord;
    std::int32_t hint = 0; // where the last leading term was found
    for (std::int32_t i = tables.levelCount[k] - 1; i >= 0; --i) {
        std::int32_t& state = tables.state(k, i);
        if (state == Hit) {
            continue;
        }
        const std::int32_t* source = tables.word(k, i);
        std::copy(source, source + k + 1, word);
        clearTermSet(set, k + 2);
        for (;;) {
            // The set is not emptied between rounds: each retraced tag's
            // boundary is added to what is left.
            if (!appendBoundary(word, k, w, set, tables.scratchMonomial) ||
                !reduceToAdmissible(set, tables.scratchMonomial)) {
                return EliminationStatus::TermSetFull;
            }
            if (set.rowCount == 0) {
                break; // a cycle: the generator stays Alive
            }
            const std::int32_t leading = leadingTerm(set);
            const std::int32_t r = findGenerator(tables, k, set.row(leading), hint);
            if (r < 0) {
                return EliminationStatus::LeadingTermMissing;
            }
            hint = r;
            std::int32_t* tag = tables.tag(k + 1, r);
            if (tables.state(k + 1, r) == Alive) {
                std::copy(source, source + k + 1, tag);
                tables.state(k + 1, r) = Hit;
                state = Source;
                break;
            }
            std::copy(tag, tag + k + 1, word);
        }
    }
    return EliminationStatus::Ok;
}

} // namespace curtis
