#include "elimination/level_elimination.hpp"

#include "algebra/boundary.hpp"
#include "algebra/monomial.hpp"
#include "algebra/reduction.hpp"

#include <algorithm>

namespace curtis {

namespace {

// The greatest row of a non-empty set.
const std::int32_t* leadingTerm(const TermSet& set) {
    const std::int32_t* leading = set.rows[0];
    for (std::int32_t i = 1; i < set.rowCount; ++i) {
        if (compareMonomials(set.rows[i], leading, set.rowLength) > 0) {
            leading = set.rows[i];
        }
    }
    return leading;
}

} // namespace

std::int32_t findGenerator(const GeneratorTables& tables, int k, const std::int32_t* z) {
    const LevelTable& next = tables.table(k + 1);
    std::int32_t lo = 0;
    std::int32_t hi = tables.levelCount[k + 1] - 1;
    while (lo <= hi) {
        const std::int32_t mid = lo + (hi - lo) / 2;
        const int order = compareMonomials(z, next.records[mid].word, k + 2);
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

EliminationStatus eliminateLevel(GeneratorTables& tables, int k, std::int32_t w) {
    LevelTable& current = tables.table(k);
    LevelTable& next = tables.table(k + 1);
    TermSet& set = tables.termSet;
    std::int32_t* word = tables.currentWord;
    for (std::int32_t i = tables.levelCount[k] - 1; i >= 0; --i) {
        GeneratorRecord& x = current.records[i];
        if (x.state == Hit) {
            continue;
        }
        std::copy(x.word, x.word + k + 1, word);
        set.rowCount = 0;
        set.rowLength = k + 2;
        for (;;) {
            // The set is not emptied between rounds: each retraced tag's
            // boundary is added to what is left.
            if (!appendBoundary(word, k, w, set, tables.scratchMonomial) ||
                !reduceToAdmissible(set, tables.scratchMonomial)) {
                return EliminationStatus::TermSetFull;
            }
            if (set.rowCount == 0) {
                break; // a cycle: x stays Alive
            }
            const std::int32_t r = findGenerator(tables, k, leadingTerm(set));
            if (r < 0) {
                return EliminationStatus::LeadingTermMissing;
            }
            GeneratorRecord& target = next.records[r];
            if (target.state == Alive) {
                std::copy(x.word, x.word + k + 1, target.tag);
                target.state = Hit;
                x.state = Source;
                break;
            }
            std::copy(target.tag, target.tag + k + 1, word);
        }
    }
    return EliminationStatus::Ok;
}

} // namespace curtis
