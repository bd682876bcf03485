#pragma once

#include <cstdint>

namespace curtis {

// A sum mod 2 of monomials of one common length: rows 0 to rowCount - 1 of a
// fixed storage of rowLimit rows, row i being the rowLength entries at
// rows + i * rowLength. The rows in use are pairwise distinct; their order
// carries no meaning for the sum, though the operations below keep it exactly
// as they describe.
//
// Beside the rows the set keeps an index so that toggle finds a row without
// searching: the hash of every row in use, and an open-addressing table
// (linear probing) of row numbers plus one, 0 marking a free slot. The table
// in use is the first slotMask + 1 slots of a storage of slotLimit; it
// doubles as the set grows and shrinks again when the set is emptied.
//
// Each row also carries, for the reduction to admissible form, the range of
// its adjacent pairs (pair j being entries j and j + 1) that may break
// admissibility; every pair outside it is known to be admissible.
struct PairRange {
    std::uint8_t first;
    std::uint8_t last;
};

// A range that claims nothing: any pair may break admissibility.
inline constexpr PairRange anyPair{1, 255};

struct TermSet {
    std::int32_t* rows = nullptr;
    std::int32_t rowCount = 0;
    std::int32_t rowLength = 0;
    std::int32_t rowLimit = 0;
    std::uint32_t* rowHashes = nullptr;
    PairRange* rowPairs = nullptr;
    std::uint32_t* slots = nullptr;
    std::uint32_t slotMask = 0;
    std::uint32_t slotLimit = 0;

    std::int32_t* row(std::int32_t i) { return rows + static_cast<std::int64_t>(i) * rowLength; }
    const std::int32_t* row(std::int32_t i) const {
        return rows + static_cast<std::int64_t>(i) * rowLength;
    }
};

// The smallest table the index shrinks back to.
inline constexpr std::uint32_t minimumSlots = 64;

// Slots of index storage a set of rowLimit rows needs: a power of two at
// least twice rowLimit, so the table is never more than half full.
std::uint64_t termSetSlots(std::int32_t rowLimit);

// The contribution of one entry to a row's hash. A row's hash is the sum,
// mod 2^32, of the contributions of its entries, so a row that differs from
// a known one in a few entries has its hash updated in constant time.
inline std::uint32_t entryHash(int position, std::int32_t value) {
    std::uint64_t x = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(value)) << 8) |
                      static_cast<std::uint64_t>(position);
    x *= 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return static_cast<std::uint32_t>(x >> 32);
}

inline std::uint32_t monomialHash(const std::int32_t* a, int n) {
    std::uint32_t hash = 0;
    for (int e = 0; e < n; ++e) {
        hash += entryHash(e, a[e]);
    }
    return hash;
}

// Empties the set, shrinks its index back to the smallest table and makes
// its rows rowLength entries long; the row storage must hold rowLimit rows of
// that length.
void clearTermSet(TermSet& set, std::int32_t rowLength);

// Adds candidate (at least rowLength entries) to the set mod 2. If an equal
// row is present, the last row is copied into its place and the count drops
// by one; otherwise the candidate is copied into row rowCount and the count
// grows by one. The candidate's buffer may be reused right after the call.
// Returns false, and leaves the set unchanged, when the candidate would need
// a row beyond rowLimit.
bool toggle(TermSet& set, const std::int32_t* candidate);

// toggle with the candidate's hash (monomialHash over rowLength entries)
// already known, and the range of pairs that may break admissibility a new
// row gets (anyPair claims nothing). Returns the lowest
// row position whose content changed: the new row's position after an
// insertion, the position of the cancelled row (now holding the former last
// row, or beyond the end if it was the last) after a cancellation; -1 when
// there was no room.
std::int32_t toggleHashed(TermSet& set, const std::int32_t* candidate, std::uint32_t hash,
                          PairRange pairs = anyPair);

// Removes row r (0 <= r < rowCount) the way toggle cancels it: the last row
// is copied into its place and the count drops by one.
void removeRow(TermSet& set, std::int32_t r);

} // namespace curtis
