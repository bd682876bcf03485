#pragma once

#include "algebra/term_set.hpp"
#include "elimination/generator_tables.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace curtis {

enum class EliminationStatus {
    Ok,
    // A boundary or a rewrite needed more term-set rows than the set has.
    TermSetFull,
    // A leading term is not among the next level's words.
    LeadingTermMissing,
};

// Told how many records of the level being eliminated, counted from its last
// one, are done.
using LevelProgress = std::function<void(std::int64_t done)>;

// Pairs the generators of level k (current) with those of level k + 1
// (next), which must be enumerated already. Records of the current level are
// visited from the last (the smallest word) to the first, Hit ones skipped.
// For each other record x the reduced boundary is formed in set; while its
// leading term is Hit, the boundary of that term's tag is added to the same
// set and reduced again. An empty set leaves x Alive (a cycle); an Alive
// leading term becomes Hit with x's word as its tag, and x becomes Source.
// progress, if set, is told every few thousand records.
EliminationStatus eliminateLevel(const LevelTable& current, const LevelTable& next, std::int32_t w,
                                 TermSet& set, const LevelProgress& progress = {});

// One round of an elimination: adds the boundary of word, a monomial of level
// next.k - 1, to what set holds, reduces the set to admissible form and finds
// the record of next that its leading term is, searching from hint (left
// where the term was found). Returns that record, or one of these.
inline constexpr std::int64_t roundFindsCycle = -1;        // the set is empty
inline constexpr std::int64_t roundOverflowsTermSet = -2;  // the set had no room
inline constexpr std::int64_t roundMissesLeadingTerm = -3; // the leading term is not in next
std::int64_t eliminationRound(const Entry* word, const LevelTable& next, std::int32_t w,
                              TermSet& set, std::int64_t& hint);

// What the round that found r (a result of eliminationRound) means for
// generator i of current: the status its elimination ends with, after
// claiming r for i if r is an Alive record; nothing if r is Hit, so that the
// boundary of r's tag is to be added next.
std::optional<EliminationStatus> settleRound(const LevelTable& current, const LevelTable& next,
                                             std::int64_t i, std::int64_t r);

// The elimination of the one generator i of current (not Hit) as
// eliminateLevel does it: from an empty set, its reduced boundary, then the
// boundaries of the tags retraced while the leading term is Hit. Marks the
// pair it ends on, or leaves i Alive. hint is where the search for a leading
// term starts, and is left where the last one was found.
EliminationStatus eliminateGenerator(const LevelTable& current, const LevelTable& next,
                                     std::int64_t i, std::int32_t w, TermSet& set,
                                     std::int64_t& hint);

// Binary search of z (next.k + 1 entries) among the words of next, which are
// in strictly decreasing order. Returns the record index, or -1 if z is not
// there.
std::int64_t findGenerator(const LevelTable& next, const Entry* z);

// findGenerator starting from record `hint`: steps of 1, 2, 4, ... away from
// it bracket z, then a binary search inside the bracket. Same result; the
// leading terms of successive generators tend to lie close together, and
// this keeps the search on records already in the cache.
std::int64_t findGenerator(const LevelTable& next, const Entry* z, std::int64_t hint);

} // namespace curtis
