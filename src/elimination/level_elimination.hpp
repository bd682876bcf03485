#pragma once

#include "algebra/term_set.hpp"
#include "elimination/generator_tables.hpp"

#include <cstdint>

namespace curtis {

enum class EliminationStatus {
    Ok,
    // A boundary or a rewrite needed more term-set rows than the set has.
    TermSetFull,
    // A leading term is not among the next level's words.
    LeadingTermMissing,
};

// Pairs the generators of level k (current) with those of level k + 1
// (next), which must be enumerated already. Records of the current level are
// visited from the last (the smallest word) to the first, Hit ones skipped.
// For each other record x the reduced boundary is formed in set; while its
// leading term is Hit, the boundary of that term's tag is added to the same
// set and reduced again. An empty set leaves x Alive (a cycle); an Alive
// leading term becomes Hit with x's word as its tag, and x becomes Source.
EliminationStatus eliminateLevel(const LevelTable& current, const LevelTable& next,
                                 std::int32_t w, TermSet& set);

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
