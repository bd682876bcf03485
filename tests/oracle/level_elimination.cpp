#include "oracle/level_elimination.hpp"

#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"

#include <cassert>

namespace curtis::oracle {

RoundResult eliminationRound(const Entry* word, const LevelTable& next, std::int32_t w,
                             TermSet& set) {
    if (!appendReducedBoundary(word, next.k - 1, w, set)) {
        return {RoundResult::Kind::TermSetFull};
    }
    if (set.rowCount() == 0) {
        return {RoundResult::Kind::Cycle};
    }
    const std::int64_t position = next.basis->positionOf(next.k, set.row(greatestRow(set)));
    if (position < 0 || position >= next.count) {
        return {RoundResult::Kind::LeadingTermMissing};
    }
    return {RoundResult::Kind::LeadingTerm, static_cast<std::uint32_t>(position)};
}

std::optional<EliminationStatus> settleRound(const LevelTable& current, const LevelTable& next,
                                             std::int64_t i, RoundResult result) {
    switch (result.kind) {
    case RoundResult::Kind::Cycle:
        return EliminationStatus::Ok; // the generator stays Alive
    case RoundResult::Kind::TermSetFull:
        return EliminationStatus::TermSetFull;
    case RoundResult::Kind::LeadingTermMissing:
        return EliminationStatus::LeadingTermMissing;
    case RoundResult::Kind::LeadingTerm:
        break;
    }
    if (next.state(result.position) != Alive) {
        return std::nullopt;
    }
    next.markHit(result.position, i);
    current.markSource(i);
    return EliminationStatus::Ok;
}

EliminationStatus eliminateGenerator(const LevelTable& current, const LevelTable& next,
                                     std::int64_t i, const Entry* word, std::int32_t w,
                                     TermSet& set) {
    const int k = current.k;
    set.clear(k + 2);
    RoundResult result = eliminationRound(word, next, w, set);
    for (;;) {
        if (const std::optional<EliminationStatus> done = settleRound(current, next, i, result)) {
            return *done;
        }
        // The set is not emptied between rounds: the boundary of each
        // retraced tag is added to what is left. Every tag was eliminated
        // before i, so it lies after i in the level.
        const std::int64_t tag = next.tag(result.position);
        assert(tag > i && tag < current.count);
        Entry tagWord[maxMonomialLength];
        current.word(tag, tagWord);
        result = eliminationRound(tagWord, next, w, set);
    }
}

EliminationStatus eliminateLevel(const LevelTable& current, const LevelTable& next, std::int32_t w,
                                 TermSet& set, const LevelProgress& progress) {
    constexpr std::int64_t reportEvery = 4096;
    if (current.count == 0) {
        return EliminationStatus::Ok;
    }
    // The words are made by stepping up from the last one.
    Entry word[maxMonomialLength];
    current.word(current.count - 1, word);
    for (std::int64_t i = current.count - 1; i >= 0; --i) {
        if (i != current.count - 1) {
            [[maybe_unused]] const bool stepped = current.basis->stepUp(current.k, word);
            assert(stepped);
        }
        if (progress && (current.count - 1 - i) % reportEvery == 0) {
            progress(current.count - 1 - i);
        }
        if (current.state(i) == Hit) {
            continue;
        }
        const EliminationStatus status = eliminateGenerator(current, next, i, word, w, set);
        if (status != EliminationStatus::Ok) {
            return status;
        }
    }
    return EliminationStatus::Ok;
}

} // namespace curtis::oracle
