#pragma once

#include "algebra/buffer.hpp"
#include "algebra/monomial.hpp"

#include <array>
#include <cstdint>

namespace curtis {

// For the reduction to admissible form, each row carries the range of its
// adjacent pairs (pair j being entries j and j + 1) that may break
// admissibility; every pair outside it is known to be admissible.
struct PairRange {
    std::uint8_t first;
    std::uint8_t last;
};

// A range that claims nothing: any pair may break admissibility.
inline constexpr PairRange anyPair{1, 255};
// The empty range: the row is admissible.
inline constexpr PairRange noPair{1, 0};

// The contribution of one entry to a row's hash. A row's hash is the sum,
// mod 2^32, of the contributions of its entries, so a row that differs from
// a known one in a few entries has its hash updated in constant time. Every
// position lies below maxMonomialLength and every value is a byte, so the
// contributions are looked up in a table of 256 x 256 values, made when the
// program starts (positions beyond a row's length are never read, so short
// words use only the table's first rows).
// The entry values the table holds hashes for: 0 .. hashedEntryValues - 1,
// every value a byte holds.
inline constexpr int hashedEntryValues = 256;

namespace detail {

constexpr std::uint32_t mixEntry(int position, int value) {
    std::uint64_t x =
        (static_cast<std::uint64_t>(value) << 8) | static_cast<std::uint64_t>(position);
    x *= 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return static_cast<std::uint32_t>(x >> 32);
}

struct EntryHashes {
    std::uint32_t values[maxMonomialLength * hashedEntryValues];
    EntryHashes() {
        for (int position = 0; position < maxMonomialLength; ++position) {
            for (int value = 0; value < hashedEntryValues; ++value) {
                values[position * hashedEntryValues + value] = mixEntry(position, value);
            }
        }
    }
};

inline const EntryHashes entryHashes{};

} // namespace detail

inline std::uint32_t entryHash(int position, int value) {
    return detail::entryHashes.values[position * hashedEntryValues + value];
}

inline std::uint32_t monomialHash(const Entry* a, int n) {
    std::uint32_t hash = 0;
    for (int e = 0; e < n; ++e) {
        hash += entryHash(e, a[e]);
    }
    return hash;
}

// The first 16 entries of a row (zero beyond its length) as two numbers,
// most significant first: comparing keys compares those entries in the
// order of monomials.
struct RowKey {
    std::uint64_t high;
    std::uint64_t low;
};
RowKey rowKey(const Entry* row, int n);

// A sum mod 2 of monomials of one common length, rowLength: rows 0 to
// rowCount - 1 of a storage of rowCapacity rows, packed one after another.
// The rows in use are pairwise distinct; their order carries no meaning for
// the sum, though the operations below keep it exactly as they describe: an
// insertion appends, a cancellation moves the last row into the hole. The
// storage starts small and doubles whenever an insertion finds it full, up
// to rowLimit rows.
//
// Beside the rows the set keeps the key of each (its first 16 entries as two
// numbers), so that the greatest row is found by comparing numbers, and an
// index so that toggle finds a row without
// searching: the hash of every row in use, and an open-addressing table
// (linear probing) whose slots hold a row's hash and its number plus one in
// one word, 0 marking a free slot, so that a probe reads no row it does not
// have to. Each row also knows its slot. The table in use is the first
// slotMask + 1 slots of its storage; it doubles as the set grows and shrinks
// again when the set is cleared.
//
// The set also owns one work row, where the boundary and the reduction
// assemble each candidate before toggling it in. Sets used by different
// threads side by side never share a cache line.
class alignas(64) TermSet {
public:
    // The smallest table the index shrinks back to.
    static constexpr std::uint32_t minimumSlots = 64;
    // The rows a set starts with, unless its limit is lower.
    static constexpr std::int32_t initialRows = 256;
    // The most rows any set holds: its index has twice as many slots, and
    // slots are counted in 32 bits. Larger limits are taken as this one.
    static constexpr std::int32_t maxRowLimit = 1 << 30;

    // Slots of index storage a set of rowLimit rows needs: a power of two at
    // least twice rowLimit, so the table is never more than half full.
    static std::uint64_t slotsFor(std::int32_t rowLimit);

    // Bytes of a set that holds storage for `rows` rows.
    static std::uint64_t bytesFor(std::int32_t rows, int maxRowLength);
    // The bytes this set's storage holds.
    std::uint64_t bytes() const;

    TermSet() = default;
    TermSet(const TermSet&) = delete;
    TermSet& operator=(const TermSet&) = delete;
    TermSet(TermSet&&) = default;
    TermSet& operator=(TermSet&&) = default;

    // A set of at most rowLimit rows (at most maxRowLimit) of up to maxRowLength entries
    // (maxRowLength <= maxMonomialLength), with storage for the first
    // min(rowLimit, startRows); the set is left empty with rows of
    // maxRowLength entries. Returns false, with errno set, when the memory
    // cannot be obtained.
    bool allocate(std::int32_t rowLimit, int maxRowLength, std::int32_t startRows = initialRows);

    // Empties the set, shrinks its index back to the smallest table and makes
    // its rows rowLength entries long (at most the allocated length). Rows
    // are packed at their length, so the storage of rows grows with it.
    void clear(int rowLength);

    std::int32_t rowCount() const { return rowCount_; }
    int rowLength() const { return rowLength_; }
    // The most rows the set may ever hold, and the rows it has storage for.
    std::int32_t rowLimit() const { return rowLimit_; }
    std::int32_t rowCapacity() const { return rowCapacity_; }
    // Slots of the index table in use: grows with the set.
    std::uint32_t indexSlots() const { return slotMask_ + 1; }

    Entry* row(std::int32_t i) { return rows_.data() + static_cast<std::int64_t>(i) * rowLength_; }
    const Entry* row(std::int32_t i) const {
        return rows_.data() + static_cast<std::int64_t>(i) * rowLength_;
    }
    std::uint32_t rowHash(std::int32_t i) const { return hashes_[static_cast<std::uint64_t>(i)]; }
    PairRange rowPairs(std::int32_t i) const { return pairs_[static_cast<std::uint64_t>(i)]; }
    RowKey rowKey(std::int32_t i) const { return keys_[static_cast<std::uint64_t>(i)]; }

    Entry* scratch() { return scratch_.data(); }

    // Adds candidate (at least rowLength entries) to the set mod 2. If an
    // equal row is present, the last row is copied into its place and the
    // count drops by one; otherwise the candidate is copied into row rowCount
    // and the count grows by one. The candidate's buffer may be reused right
    // after the call. Returns false, and leaves the set unchanged, when the
    // candidate would need a row beyond rowLimit, or storage for more rows
    // that cannot be obtained.
    bool toggle(const Entry* candidate);

    // toggle with the candidate's hash (monomialHash over rowLength entries)
    // already known, and the range of pairs that may break admissibility a
    // new row gets. Returns the lowest row position whose content changed:
    // the new row's position after an insertion, the position of the
    // cancelled row (now holding the former last row, or beyond the end if it
    // was the last) after a cancellation; -1 when there was no room.
    std::int32_t toggleHashed(const Entry* candidate, std::uint32_t hash,
                              PairRange pairs = anyPair);

    // Removes row r (0 <= r < rowCount) the way toggle cancels it: the last
    // row is copied into its place and the count drops by one.
    void removeRow(std::int32_t r);

    // The position of the greatest row of a non-empty set: its leading term.
    std::int32_t greatestRow() const;

    // The rows from which the greatest is kept in a tournament tree rather
    // than found by a scan. Below it a scan costs less than playing the
    // tree's matches again at every toggle; above it an elimination of many
    // rounds, which asks for the greatest row after each, would grow
    // quadratic in the set's size. A replay stops at the first match it
    // does not change, which makes the tree pay from about a thousand rows
    // (RP^inf, t = 58: 6.3 s at 8192, 4.9 s at 1024 and 2048, 5.1 s at 64).
    static constexpr std::int32_t tournamentRows = 1024;

private:
    void freeSlot(std::uint32_t hole);
    void fillSlot(std::uint32_t s, std::uint32_t hash, std::int32_t r);
    std::uint32_t freeSlotFor(std::uint32_t hash) const;
    std::int32_t greaterRow(std::int32_t a, std::int32_t b) const;
    bool buildTournament() const;
    void replayRow(std::int32_t r);
    void cancelRow(std::uint32_t slot, std::int32_t r);
    void growIndex();
    bool growRows();

    Buffer<Entry> rows_;
    Buffer<std::uint32_t> hashes_;
    Buffer<PairRange> pairs_;
    Buffer<std::uint64_t> slots_;
    Buffer<std::uint32_t> slotOfRow_;
    Buffer<RowKey> keys_; // the key of every row in use
    // Once the set is large: a tournament over leaves 0 .. tournamentLeaves_
    // - 1 (row r at leaf r, -1 where there is no row), each node holding the
    // greater of its children, node 1 the greatest row. Built when the
    // greatest row of a large set is first asked for, kept at every change
    // from then on, dropped when the set is cleared or its storage grows.
    mutable Buffer<std::int32_t> tournament_;
    mutable std::int32_t tournamentLeaves_ = 0;
    std::array<Entry, maxMonomialLength> scratch_{};
    std::int32_t rowCount_ = 0;
    int rowLength_ = 0;
    std::int32_t rowLimit_ = 0;
    std::int32_t rowCapacity_ = 0;
    int maxRowLength_ = 0;
    std::uint32_t slotMask_ = 0;
    std::uint32_t slotLimit_ = 0;
};

// The position of the greatest row of a non-empty set: its leading term.
inline std::int32_t greatestRow(const TermSet& set) {
    return set.greatestRow();
}

} // namespace curtis
