#pragma once

#include "algebra/term_set.hpp"
#include "oracle/generator_tables.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace curtis::oracle {

enum class EliminationStatus {
    Ok,
    // A boundary or a rewrite needed more term-set rows than the set may
    // hold or could obtain.
    TermSetFull,
    // A leading term is not a generator of the next level.
    LeadingTermMissing,
};

// Told how many records of the level being eliminated, counted from its last
// one, are done.
using LevelProgress = std::function<void(std::int64_t done)>;

// Pairs the generators of level k (current) with those of level k + 1
// (next), whose records must be open. Records of the current level are
// visited from the last (the smallest word) to the first, Hit ones skipped.
// For each other record x the reduced boundary is formed in set; while its
// leading term is Hit, the boundary of that term's tag is added to the same
// set and reduced again. An empty set leaves x Alive (a cycle); an Alive
// leading term becomes Hit with x's position as its tag, and x becomes
// Source. progress, if set, is told every few thousand records.
EliminationStatus eliminateLevel(const LevelTable& current, const LevelTable& next, std::int32_t w,
                                 TermSet& set, const LevelProgress& progress = {});

// What one round of an elimination found.
struct RoundResult {
    enum class Kind : std::uint8_t {
        Cycle,              // the set is empty
        LeadingTerm,        // the greatest row is the generator at `position` of the next level
        TermSetFull,        // the set had no room
        LeadingTermMissing, // the greatest row is not a generator of the next level
    };
    Kind kind = Kind::Cycle;
    std::uint32_t position = 0;
};

// One round of an elimination: adds the boundary of word, a monomial of level
// next.k - 1, to what set holds, reduces the set to admissible form and
// finds the position of its leading term in next.
RoundResult eliminationRound(const Entry* word, const LevelTable& next, std::int32_t w,
                             TermSet& set);

// What a round's result means for generator i of current: the status its
// elimination ends with, after claiming the leading term for i if it is
// Alive; nothing if the leading term is Hit, so that the boundary of its tag
// is to be added next.
std::optional<EliminationStatus> settleRound(const LevelTable& current, const LevelTable& next,
                                             std::int64_t i, RoundResult result);

// The elimination of the one generator i of current (not Hit), whose word is
// given, as eliminateLevel does it: from an empty set, its reduced boundary,
// then the boundaries of the tags retraced while the leading term is Hit.
// Marks the pair it ends on, or leaves i Alive.
EliminationStatus eliminateGenerator(const LevelTable& current, const LevelTable& next,
                                     std::int64_t i, const Entry* word, std::int32_t w,
                                     TermSet& set);

} // namespace curtis::oracle
