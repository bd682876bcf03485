#pragma once

#include "table/curtis_table.hpp"
#include "table/table_store.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One degree of a table as bytes, for the cache, and back. Decoding checks
// every count against what is left, so that damaged or foreign bytes give
// nothing, never a crash or an allocation beyond their size; checking holds
// what was decoded against the table's lower degrees before anything reads
// it.

namespace curtis {

// The number of the layout below, named in every table file's header: it
// changes whenever what a degree's bytes are or mean changes, so that no
// run reads another layout's files.
inline constexpr int tableFormat = 2;

// The levels a degree with finalLevels final levels keeps: all t of a whole
// degree, else one more, marked by the last final level.
int keptLevels(std::int32_t t, int finalLevels);

// For each kept level L, in order: its record count (4 bytes, little
// endian), the records' words (L + 1 bytes each, the first its cell itself,
// modulo 256, not its offset from the bottom cell, so that a space's words
// are no other space's), their states (a byte each), their partners (4 bytes
// each, little endian, -1 for none); the records in the order the table
// holds them, so that partners stay indices.
std::string encodeTableDegree(const CurtisTable& table, std::int32_t t, int finalLevels);

// The levels of bytes that encode a degree t with storedFinal final levels,
// as a degree with finalLevels (at most storedFinal) final levels: the
// levels past finalLevels dropped, and level finalLevels kept only as the
// level below it marked it. Nothing, with why, if they are not such bytes.
// w: the weight of the table they are read into, whose bottom cell is -w.
std::optional<std::vector<LevelRecords>> decodeTableDegree(std::string_view bytes, std::int32_t w,
                                                           std::int32_t t, int storedFinal,
                                                           int finalLevels, std::string& why);

// The most bytes that levels of degree t with storedFinal final levels can
// take, whatever table they belong to: each level with as many records as
// there are admissible words of its length and degree on any cell.
std::uint64_t largestTableDegree(std::int32_t t, int storedFinal, bool sphere);

// Why levels are not degree t of table with finalLevels final levels, as
// its lower degrees (and a space's sphere) make it: a final level whose
// words are not exactly its E1 generators, a marked level that holds
// anything but marks, a state or partner that is not one of a one-to-one
// pairing of adjacent levels. Empty when nothing is wrong.
std::string checkTableDegree(const CurtisTable& table, const TableName& name, std::int32_t t,
                             int finalLevels, const std::vector<LevelRecords>& levels);

// Puts checked levels into degree t of table, whose levels are empty.
void installTableDegree(CurtisTable& table, std::int32_t t, std::vector<LevelRecords>&& levels);

} // namespace curtis
