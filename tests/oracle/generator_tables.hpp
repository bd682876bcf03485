#pragma once

#include "algebra/buffer.hpp"
#include "oracle/positions.hpp"
#include "table/kept_records.hpp"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// The oracle of the tests: the level-by-level elimination, which pairs every
// generator of every level, with a 32-bit record for each and the words
// known by their positions. The program's engine must agree with it record
// for record.
namespace curtis::oracle {

// The record of one generator: its state and, when it is Hit, its tag, in
// one 32-bit value. Values below hitLimit are the positions of tags, so a
// Hit record is its tag; the two values above them are Source and Alive.
// A level therefore holds at most hitLimit generators.
using Record = std::uint32_t;
inline constexpr Record sourceRecord = 0xFFFFFFFEu;
inline constexpr Record aliveRecord = 0xFFFFFFFFu;
inline constexpr std::int64_t hitLimit = sourceRecord;

// One level k as a view into the storage: count records, record i belonging
// to the word at position i of the level. The words themselves are never
// stored; basis makes them from their positions.
//
// Records are read and written whole and atomically (relaxed): while a level
// is eliminated in parallel, workers read the records of the next level that
// the committing thread marks. A record once Hit keeps its tag for good, so
// what a reader sees Hit is final.
struct LevelTable {
    int k = 0;
    std::int64_t count = 0;
    Record* records = nullptr;
    const BasisPositions* basis = nullptr;

    Record record(std::int64_t i) const {
        return std::atomic_ref<Record>(records[i]).load(std::memory_order_relaxed);
    }
    static GeneratorState stateOf(Record record) {
        return record == aliveRecord ? Alive : record == sourceRecord ? Source : Hit;
    }
    GeneratorState state(std::int64_t i) const { return stateOf(record(i)); }
    // The position of the tag of a Hit record in level k - 1.
    std::int64_t tag(std::int64_t i) const { return record(i); }
    void markSource(std::int64_t i) const { store(i, sourceRecord); }
    void markHit(std::int64_t i, std::int64_t tagPosition) const {
        store(i, static_cast<Record>(tagPosition));
    }
    // Writes the word of record i (k + 1 entries).
    void word(std::int64_t i, Entry* out) const { basis->wordAt(k, i, out); }

private:
    void store(std::int64_t i, Record record) const {
        std::atomic_ref<Record>(records[i]).store(record, std::memory_order_relaxed);
    }
};

// The records of two adjacent levels, in one block sized once before the
// computation. Level k holds at most capacity(k) records of four bytes. Even
// levels sit at the front of the block and odd levels at its end, so level
// k + 2 overwrites level k and never level k + 1; the block needs no more
// than the largest pair of adjacent levels. Tables that keep every level
// (for products) give each level a place of its own instead, one after
// another.
class GeneratorTables {
public:
    // Bytes of the block for the given records per level.
    static std::uint64_t blockBytes(const std::vector<std::int64_t>& capacities,
                                    bool keepAll = false);

    GeneratorTables() = default;
    GeneratorTables(const GeneratorTables&) = delete;
    GeneratorTables& operator=(const GeneratorTables&) = delete;
    GeneratorTables(GeneratorTables&&) = default;
    GeneratorTables& operator=(GeneratorTables&&) = default;

    // Storage for the levels of basis, level k holding up to capacities[k]
    // records (one per level), every count zero. basis must outlive the
    // tables. Returns false, with errno set, when the memory cannot be
    // obtained.
    bool allocate(const BasisPositions& basis, std::vector<std::int64_t> capacities,
                  bool keepAll = false);

    int levels() const { return static_cast<int>(capacities_.size()); }
    std::int64_t capacity(int k) const { return capacities_[static_cast<std::size_t>(k)]; }
    // Records in use in level k; the level's records are 0 .. levelCount - 1.
    std::int64_t& levelCount(int k) { return counts_[static_cast<std::size_t>(k)]; }
    std::int64_t levelCount(int k) const { return counts_[static_cast<std::size_t>(k)]; }

    // Level k's records as they are now. Valid until level k + 2 is opened,
    // unless every level is kept.
    LevelTable table(int k);

    // Gives level k a record for every generator of its basis, all Alive.
    // Returns false, writing nothing, when they are more than capacity(k).
    bool open(int k);

private:
    const BasisPositions* basis_ = nullptr;
    Buffer<Record> block_;
    std::vector<std::int64_t> capacities_;
    std::vector<std::int64_t> counts_;
    std::vector<std::uint64_t> offsets_; // where each level starts, when every level is kept
};

} // namespace curtis::oracle
