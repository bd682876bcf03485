#pragma once

#include "elimination/generator_tables.hpp"

#include <cstdint>

namespace curtis {

enum class EliminationStatus {
    Ok,
    // A boundary or a rewrite needed more term-set rows than the storage has.
    TermSetFull,
    // A leading term is not among the next level's words.
    LeadingTermMissing,
};

// Pairs the generators of level k with those of level k + 1, which must be
// enumerated already (k + 1 < t). Records are visited from the last (the
// smallest word) to the first, Hit ones skipped. For each other record x the
// reduced boundary is formed; while its leading term is Hit, the boundary of
// that term's tag is added to the same set and reduced again. An empty set
// leaves x Alive (a cycle); an Alive leading term becomes Hit with x's word
// as its tag, and x becomes Source.
EliminationStatus eliminateLevel(GeneratorTables& tables, int k, std::int32_t w);

// Binary search of z (k + 2 entries) among the words of level k + 1, which
// are in strictly decreasing order. Returns the record index, or -1 if z is
// not there.
std::int32_t findGenerator(const GeneratorTables& tables, int k, const std::int32_t* z);

// findGenerator starting from record `hint`: steps of 1, 2, 4, ... away from
// it bracket z, then a binary search inside the bracket. Same result; the
// leading terms of successive generators tend to lie close together, and
// this keeps the search on records already in the cache.
std::int32_t findGenerator(const GeneratorTables& tables, int k, const std::int32_t* z,
                           std::int32_t hint);

} // namespace curtis
