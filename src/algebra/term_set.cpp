#include "algebra/term_set.hpp"

#include <algorithm>
#include <cerrno>

namespace curtis {

std::uint64_t TermSet::slotsFor(std::int32_t rowLimit) {
    std::uint64_t slots = minimumSlots;
    while (slots < 2 * static_cast<std::uint64_t>(std::max(rowLimit, 0))) {
        slots *= 2;
    }
    return slots;
}

std::uint64_t TermSet::bytesFor(std::int32_t rows, int maxRowLength) {
    const std::uint64_t count = static_cast<std::uint64_t>(std::max(rows, 0));
    return count * static_cast<std::uint64_t>(maxRowLength) * sizeof(Entry) // rows
           + count * (sizeof(std::uint32_t) + sizeof(PairRange))            // hashes, pair ranges
           + slotsFor(rows) * sizeof(std::uint32_t);                        // the index
}

bool TermSet::allocate(std::int32_t rowLimit, int maxRowLength, std::int32_t startRows) {
    rowLimit = std::max(rowLimit, 0);
    const std::int32_t start = std::clamp(startRows, std::min(rowLimit, 1), rowLimit);
    const std::uint64_t rows = static_cast<std::uint64_t>(start);
    const std::uint64_t slots = slotsFor(start);
    if (!rows_.allocate(rows * static_cast<std::uint64_t>(maxRowLength)) ||
        !hashes_.allocate(rows) || !pairs_.allocate(rows) || !slots_.allocate(slots)) {
        const int error = errno;
        *this = TermSet{};
        errno = error;
        return false;
    }
    rowLimit_ = rowLimit;
    rowCapacity_ = start;
    maxRowLength_ = maxRowLength;
    slotLimit_ = static_cast<std::uint32_t>(slots);
    slotMask_ = slotLimit_ - 1; // cleared in full below, then shrunk
    clear(maxRowLength);
    return true;
}

void TermSet::clear(int rowLength) {
    std::uint32_t* slots = slots_.data();
    std::fill(slots, slots + slotMask_ + 1, 0u);
    slotMask_ = std::min(minimumSlots, slotLimit_) - 1;
    rowCount_ = 0;
    rowLength_ = rowLength;
}

// Frees slot `hole`, moving later entries of its probe run back so that every
// entry stays reachable from its home slot (backward-shift deletion).
void TermSet::freeSlot(std::uint32_t hole) {
    std::uint32_t* slots = slots_.data();
    const std::uint32_t mask = slotMask_;
    std::uint32_t j = hole;
    for (;;) {
        j = (j + 1) & mask;
        const std::uint32_t entry = slots[j];
        if (entry == 0) {
            break;
        }
        const std::uint32_t home = hashes_[entry - 1] & mask;
        if (((j - home) & mask) >= ((j - hole) & mask)) {
            slots[hole] = entry;
            hole = j;
        }
    }
    slots[hole] = 0;
}

// The first free slot on the probe run of hash.
std::uint32_t TermSet::freeSlotFor(std::uint32_t hash) const {
    std::uint32_t s = hash & slotMask_;
    while (slots_[s] != 0) {
        s = (s + 1) & slotMask_;
    }
    return s;
}

// Removes row r, whose index entry is in slot s: the last row moves into its
// place.
void TermSet::cancelRow(std::uint32_t s, std::int32_t r) {
    freeSlot(s);
    const std::int32_t last = rowCount_ - 1;
    if (r != last) {
        const std::uint64_t to = static_cast<std::uint64_t>(r);
        const std::uint64_t from = static_cast<std::uint64_t>(last);
        copyMonomial(row(r), row(last), rowLength_);
        hashes_[to] = hashes_[from];
        pairs_[to] = pairs_[from];
        std::uint32_t moved = hashes_[to] & slotMask_;
        while (slots_[moved] != static_cast<std::uint32_t>(last) + 1) {
            moved = (moved + 1) & slotMask_;
        }
        slots_[moved] = static_cast<std::uint32_t>(r) + 1;
    }
    --rowCount_;
}

// Doubles the table in use and enters every row again.
void TermSet::growIndex() {
    slotMask_ = 2 * slotMask_ + 1;
    std::uint32_t* slots = slots_.data();
    std::fill(slots, slots + slotMask_ + 1, 0u);
    for (std::int32_t r = 0; r < rowCount_; ++r) {
        slots[freeSlotFor(hashes_[static_cast<std::uint64_t>(r)])] =
            static_cast<std::uint32_t>(r) + 1;
    }
}

// Doubles the storage of rows (up to rowLimit) and of the index, keeping
// every row and the index in use as they are. False, with nothing changed,
// at the limit or when the memory cannot be obtained.
bool TermSet::growRows() {
    if (rowCapacity_ >= rowLimit_) {
        return false;
    }
    const std::int32_t rows =
        static_cast<std::int32_t>(std::min<std::int64_t>(2 * std::int64_t{rowCapacity_}, rowLimit_));
    const std::uint64_t count = static_cast<std::uint64_t>(rows);
    const std::uint64_t slots = slotsFor(rows);
    // A buffer that has grown keeps its contents, so a failure part way
    // leaves the set as it was, only with more room in some buffers.
    if (!rows_.resize(count * static_cast<std::uint64_t>(maxRowLength_)) ||
        !hashes_.resize(count) || !pairs_.resize(count) ||
        (slots > slotLimit_ && !slots_.resize(slots))) {
        return false;
    }
    rowCapacity_ = rows;
    slotLimit_ = static_cast<std::uint32_t>(std::max<std::uint64_t>(slots, slotLimit_));
    return true;
}

std::int32_t TermSet::toggleHashed(const Entry* candidate, std::uint32_t hash, PairRange pairs) {
    const int length = rowLength_;
    std::uint32_t s = hash & slotMask_;
    for (std::uint32_t entry = slots_[s]; entry != 0; entry = slots_[s]) {
        const std::int32_t r = static_cast<std::int32_t>(entry) - 1;
        if (hashes_[entry - 1] == hash && sameMonomial(row(r), candidate, length)) {
            cancelRow(s, r);
            return r;
        }
        s = (s + 1) & slotMask_;
    }
    if (rowCount_ >= rowCapacity_ && !growRows()) {
        return -1;
    }
    if (2 * (static_cast<std::uint64_t>(rowCount_) + 1) > slotMask_ + 1 &&
        slotMask_ + 1 < slotLimit_) {
        growIndex();
        s = freeSlotFor(hash);
    }
    const std::int32_t r = rowCount_++;
    slots_[s] = static_cast<std::uint32_t>(r) + 1;
    copyMonomial(row(r), candidate, length);
    hashes_[static_cast<std::uint64_t>(r)] = hash;
    pairs_[static_cast<std::uint64_t>(r)] = pairs;
    return r;
}

void TermSet::removeRow(std::int32_t r) {
    const std::uint32_t entry = static_cast<std::uint32_t>(r) + 1;
    std::uint32_t s = hashes_[static_cast<std::uint64_t>(r)] & slotMask_;
    while (slots_[s] != entry) {
        s = (s + 1) & slotMask_;
    }
    cancelRow(s, r);
}

bool TermSet::toggle(const Entry* candidate) {
    return toggleHashed(candidate, monomialHash(candidate, rowLength_)) >= 0;
}

} // namespace curtis
