#include "algebra/term_set.hpp"

#include "algebra/monomial.hpp"

#include <algorithm>
#include <cstring>

namespace curtis {

namespace {

bool sameEntries(const std::int32_t* a, const std::int32_t* b, int n) {
    for (int e = 0; e < n; ++e) {
        if (a[e] != b[e]) {
            return false;
        }
    }
    return true;
}

// Frees slot `hole`, moving later entries of its probe run back so that every
// entry stays reachable from its home slot (backward-shift deletion).
void freeSlot(TermSet& set, std::uint32_t hole) {
    const std::uint32_t mask = set.slotMask;
    std::uint32_t j = hole;
    for (;;) {
        j = (j + 1) & mask;
        const std::uint32_t entry = set.slots[j];
        if (entry == 0) {
            break;
        }
        const std::uint32_t home = set.rowHashes[entry - 1] & mask;
        if (((j - home) & mask) >= ((j - hole) & mask)) {
            set.slots[hole] = entry;
            hole = j;
        }
    }
    set.slots[hole] = 0;
}

// The first free slot on the probe run of hash.
std::uint32_t freeSlotFor(const TermSet& set, std::uint32_t hash) {
    std::uint32_t s = hash & set.slotMask;
    while (set.slots[s] != 0) {
        s = (s + 1) & set.slotMask;
    }
    return s;
}

// Removes row r, whose index entry is in slot s: the last row moves into its
// place.
void cancelRow(TermSet& set, std::uint32_t s, std::int32_t r) {
    freeSlot(set, s);
    const std::int32_t last = set.rowCount - 1;
    if (r != last) {
        copyMonomial(set.row(r), set.row(last), set.rowLength);
        set.rowHashes[r] = set.rowHashes[last];
        set.rowPairs[r] = set.rowPairs[last];
        std::uint32_t moved = set.rowHashes[r] & set.slotMask;
        while (set.slots[moved] != static_cast<std::uint32_t>(last) + 1) {
            moved = (moved + 1) & set.slotMask;
        }
        set.slots[moved] = static_cast<std::uint32_t>(r) + 1;
    }
    --set.rowCount;
}

// Doubles the table in use and enters every row again.
void growIndex(TermSet& set) {
    set.slotMask = 2 * set.slotMask + 1;
    std::fill(set.slots, set.slots + set.slotMask + 1, 0u);
    for (std::int32_t r = 0; r < set.rowCount; ++r) {
        set.slots[freeSlotFor(set, set.rowHashes[r])] = static_cast<std::uint32_t>(r) + 1;
    }
}

} // namespace

std::uint64_t termSetSlots(std::int32_t rowLimit) {
    std::uint64_t slots = minimumSlots;
    while (slots < 2 * static_cast<std::uint64_t>(rowLimit)) {
        slots *= 2;
    }
    return slots;
}

void clearTermSet(TermSet& set, std::int32_t rowLength) {
    std::fill(set.slots, set.slots + set.slotMask + 1, 0u);
    set.slotMask = std::min(minimumSlots, set.slotLimit) - 1;
    std::fill(set.slots, set.slots + set.slotMask + 1, 0u);
    set.rowCount = 0;
    set.rowLength = rowLength;
}

std::int32_t toggleHashed(TermSet& set, const std::int32_t* candidate, std::uint32_t hash,
                          PairRange pairs) {
    const int length = set.rowLength;
    std::uint32_t s = hash & set.slotMask;
    for (std::uint32_t entry = set.slots[s]; entry != 0; entry = set.slots[s]) {
        const std::int32_t r = static_cast<std::int32_t>(entry) - 1;
        if (set.rowHashes[r] == hash && sameEntries(set.row(r), candidate, length)) {
            cancelRow(set, s, r);
            return r;
        }
        s = (s + 1) & set.slotMask;
    }
    if (set.rowCount >= set.rowLimit) {
        return -1;
    }
    if (2 * (static_cast<std::uint64_t>(set.rowCount) + 1) > set.slotMask + 1 &&
        set.slotMask + 1 < set.slotLimit) {
        growIndex(set);
        s = freeSlotFor(set, hash);
    }
    const std::int32_t r = set.rowCount++;
    set.slots[s] = static_cast<std::uint32_t>(r) + 1;
    copyMonomial(set.row(r), candidate, length);
    set.rowHashes[r] = hash;
    set.rowPairs[r] = pairs;
    return r;
}

void removeRow(TermSet& set, std::int32_t r) {
    const std::uint32_t entry = static_cast<std::uint32_t>(r) + 1;
    std::uint32_t s = set.rowHashes[r] & set.slotMask;
    while (set.slots[s] != entry) {
        s = (s + 1) & set.slotMask;
    }
    cancelRow(set, s, r);
}

bool toggle(TermSet& set, const std::int32_t* candidate) {
    return toggleHashed(set, candidate, monomialHash(candidate, set.rowLength)) >= 0;
}

} // namespace curtis
