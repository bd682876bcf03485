#pragma once

#include "elimination/generator_tables.hpp"

#include <cstdint>

namespace curtis {

// Appends the admissible basis of level L (1 <= L <= t - 1) to table L mod 2:
// every admissible monomial of L + 1 entries with cell index at least -w,
// lambda indices at least 0 and entries summing to c0 - L, in strictly
// decreasing order, each Alive. Requires levelCount[L] == 0.
// Returns false when the level does not fit the table's capacity; the
// records appended up to then stay, nothing is written beyond the table.
bool enumerateLevel(GeneratorTables& tables, int L, std::int32_t c0, std::int32_t w);

// The recursive worker: entries 0 to position - 1 of scratchMonomial are
// chosen; chooses the remaining entries (position included), which must add
// up to sum, largest values first, and appends each admissible completion to
// level L. Returns false as soon as the level's table is full.
bool enumerateAdmissible(GeneratorTables& tables, int L, int position, int remaining,
                         std::int32_t sum, std::int32_t w);

} // namespace curtis
