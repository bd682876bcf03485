#include "elimination/level_elimination.hpp"

#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"

#include <algorithm>

namespace curtis {

namespace {

// The position of the greatest row of a non-empty set.
std::int32_t leadingTerm(const TermSet& set) {
    std::int32_t leading = 0;
    for (std::int32_t i = 1; i < set.rowCount(); ++i) {
        if (compareMonomials(set.row(i), set.row(leading), set.rowLength()) > 0) {
            leading = i;
        }
    }
    return leading;
}

// Binary search of z among records lo to hi of the level.
std::int64_t searchBetween(const LevelTable& next, const Entry* z, std::int64_t lo,
                           std::int64_t hi) {
    const int length = next.k + 1;
    while (lo <= hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        const int order = compareMonomials(z, next.word(mid), length);
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

std::int64_t findGenerator(const LevelTable& next, const Entry* z) {
    return searchBetween(next, z, 0, next.count - 1);
}

std::int64_t findGenerator(const LevelTable& next, const Entry* z, std::int64_t hint) {
    const std::int64_t count = next.count;
    if (count == 0) {
        return -1;
    }
    const int length = next.k + 1;
    hint = std::clamp<std::int64_t>(hint, 0, count - 1);
    const int order = compareMonomials(z, next.word(hint), length);
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
        const int probed = compareMonomials(z, next.word(probe), length);
        if (probed == 0) {
            return probe;
        }
        if ((probed < 0) != (order < 0)) {
            // z lies strictly between `passed` and `probe`.
            return direction > 0 ? searchBetween(next, z, passed + 1, probe - 1)
                                 : searchBetween(next, z, probe + 1, passed - 1);
        }
        passed = probe;
    }
    return direction > 0 ? searchBetween(next, z, passed + 1, count - 1)
                         : searchBetween(next, z, 0, passed - 1);
}

std::int64_t eliminationRound(const Entry* word, const LevelTable& next, std::int32_t w,
                              TermSet& set, std::int64_t& hint) {
    if (!appendBoundary(word, next.k - 1, w, set) || !reduceToAdmissible(set)) {
        return roundOverflowsTermSet;
    }
    if (set.rowCount() == 0) {
        return roundFindsCycle;
    }
    const std::int64_t r = findGenerator(next, set.row(leadingTerm(set)), hint);
    if (r < 0) {
        return roundMissesLeadingTerm;
    }
    hint = r;
    return r;
}

std::optional<EliminationStatus> settleRound(const LevelTable& current, const LevelTable& next,
                                             std::int64_t i, std::int64_t r) {
    switch (r) {
    case roundFindsCycle:
        return EliminationStatus::Ok; // the generator stays Alive
    case roundOverflowsTermSet:
        return EliminationStatus::TermSetFull;
    case roundMissesLeadingTerm:
        return EliminationStatus::LeadingTermMissing;
    default:
        break;
    }
    if (next.state(r) != Alive) {
        return std::nullopt;
    }
    copyMonomial(next.tag(r), current.word(i), current.k + 1);
    next.state(r) = Hit;
    current.state(i) = Source;
    return EliminationStatus::Ok;
}

EliminationStatus eliminateGenerator(const LevelTable& current, const LevelTable& next,
                                     std::int64_t i, std::int32_t w, TermSet& set,
                                     std::int64_t& hint) {
    const int k = current.k;
    Entry word[maxMonomialLength];
    copyMonomial(word, current.word(i), k + 1);
    set.clear(k + 2);
    for (;;) {
        // The set is not emptied between rounds: each retraced tag's boundary
        // is added to what is left.
        const std::int64_t r = eliminationRound(word, next, w, set, hint);
        if (const std::optional<EliminationStatus> done = settleRound(current, next, i, r)) {
            return *done;
        }
        copyMonomial(word, next.tag(r), k + 1);
    }
}

EliminationStatus eliminateLevel(const LevelTable& current, const LevelTable& next, std::int32_t w,
                                 TermSet& set, const LevelProgress& progress) {
    constexpr std::int64_t reportEvery = 4096;
    std::int64_t hint = 0; // where the last leading term was found
    for (std::int64_t i = current.count - 1; i >= 0; --i) {
        if (progress && (current.count - 1 - i) % reportEvery == 0) {
            progress(current.count - 1 - i);
        }
        if (current.state(i) == Hit) {
            continue;
        }
        const EliminationStatus status = eliminateGenerator(current, next, i, w, set, hint);
        if (status != EliminationStatus::Ok) {
            return status;
        }
    }
    return EliminationStatus::Ok;
}

} // namespace curtis
