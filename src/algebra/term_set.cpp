#include "algebra/term_set.hpp"

#include "check/invariant.hpp"

#include <algorithm>
#include <cerrno>

namespace curtis {

std::uint64_t TermSet::slotsFor(std::int32_t rowLimit) {
    std::uint64_t slots = minimumSlots;
    while (slots < 2 * static_cast<std::uint64_t>(std::clamp(rowLimit, 0, maxRowLimit))) {
        slots *= 2;
    }
    return slots;
}

std::uint64_t TermSet::bytesFor(std::int32_t rows, int maxRowLength) {
    const std::uint64_t count = static_cast<std::uint64_t>(std::max(rows, 0));
    return count * static_cast<std::uint64_t>(maxRowLength) * sizeof(Entry) // rows
           + count * (2 * sizeof(std::uint32_t) + sizeof(PairRange)) // hashes, slots, pair ranges
           + count * sizeof(RowKey)                                  // keys
           + slotsFor(rows) * sizeof(std::uint64_t);                 // the index
}

std::uint64_t TermSet::bytes() const {
    return rows_.size() * sizeof(Entry) + hashes_.size() * sizeof(std::uint32_t) +
           pairs_.size() * sizeof(PairRange) + slotOfRow_.size() * sizeof(std::uint32_t) +
           keys_.size() * sizeof(RowKey) + slots_.size() * sizeof(std::uint64_t) +
           tournament_.size() * sizeof(std::int32_t);
}

bool TermSet::allocate(std::int32_t rowLimit, int maxRowLength, std::int32_t startRows) {
    // Slots are counted in 32 bits, twice as many as rows.
    rowLimit = std::clamp(rowLimit, 0, maxRowLimit);
    const std::int32_t start = std::clamp(startRows, std::min(rowLimit, 1), rowLimit);
    const std::uint64_t rows = static_cast<std::uint64_t>(start);
    const std::uint64_t slots = slotsFor(start);
    if (!rows_.allocate(rows * static_cast<std::uint64_t>(maxRowLength)) ||
        !hashes_.allocate(rows) || !pairs_.allocate(rows) || !slotOfRow_.allocate(rows) ||
        !keys_.allocate(rows) || !slots_.allocate(slots)) {
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

namespace {

// Makes buffer hold at least count values, keeping its contents; false when
// the memory cannot be obtained.
template <typename T> bool holdAtLeast(Buffer<T>& buffer, std::uint64_t count) {
    return buffer.size() >= count || buffer.resize(count);
}

} // namespace

void TermSet::clear(int rowLength) {
    // Rows are packed at their length: longer rows need more of the row
    // storage, and where it cannot grow, the set holds fewer of them.
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(rowCapacity_) * static_cast<std::uint64_t>(rowLength);
    if (!holdAtLeast(rows_, bytes)) {
        rowCapacity_ =
            static_cast<std::int32_t>(rows_.size() / static_cast<std::uint64_t>(rowLength));
    }
    std::uint64_t* slots = slots_.data();
    std::fill(slots, slots + slotMask_ + 1, std::uint64_t{0});
    slotMask_ = std::min(minimumSlots, slotLimit_) - 1;
    rowCount_ = 0;
    rowLength_ = rowLength;
    tournamentLeaves_ = 0;
}

namespace {

std::uint64_t slotEntry(std::uint32_t hash, std::int32_t r) {
    return (std::uint64_t{hash} << 32) | (static_cast<std::uint32_t>(r) + 1);
}
std::uint32_t slotHash(std::uint64_t entry) {
    return static_cast<std::uint32_t>(entry >> 32);
}
std::int32_t slotRow(std::uint64_t entry) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(entry) - 1);
}

} // namespace

void TermSet::fillSlot(std::uint32_t s, std::uint32_t hash, std::int32_t r) {
    slots_[s] = slotEntry(hash, r);
    slotOfRow_[static_cast<std::uint64_t>(r)] = s;
}

// Frees slot `hole`, moving later entries of its probe run back so that every
// entry stays reachable from its home slot (backward-shift deletion).
void TermSet::freeSlot(std::uint32_t hole) {
    std::uint64_t* slots = slots_.data();
    const std::uint32_t mask = slotMask_;
    std::uint32_t j = hole;
    for (;;) {
        j = (j + 1) & mask;
        const std::uint64_t entry = slots[j];
        if (entry == 0) {
            break;
        }
        const std::uint32_t home = slotHash(entry) & mask;
        if (((j - home) & mask) >= ((j - hole) & mask)) {
            slots[hole] = entry;
            slotOfRow_[static_cast<std::uint64_t>(slotRow(entry))] = hole;
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
        keys_[to] = keys_[from];
        fillSlot(slotOfRow_[from], hashes_[to], r);
    }
    --rowCount_;
    replayRow(last);
    if (r != last) {
        replayRow(r);
    }
}

// Doubles the table in use and enters every row again.
void TermSet::growIndex() {
    slotMask_ = 2 * slotMask_ + 1;
    std::uint64_t* slots = slots_.data();
    std::fill(slots, slots + slotMask_ + 1, std::uint64_t{0});
    for (std::int32_t r = 0; r < rowCount_; ++r) {
        const std::uint32_t hash = hashes_[static_cast<std::uint64_t>(r)];
        fillSlot(freeSlotFor(hash), hash, r);
    }
}

// Doubles the storage of rows (up to rowLimit) and of the index, keeping
// every row and the index in use as they are. False, with nothing changed,
// at the limit or when the memory cannot be obtained.
bool TermSet::growRows() {
    if (rowCapacity_ >= rowLimit_) {
        return false;
    }
    const std::int32_t rows = static_cast<std::int32_t>(
        std::min<std::int64_t>(2 * std::int64_t{rowCapacity_}, rowLimit_));
    const std::uint64_t count = static_cast<std::uint64_t>(rows);
    const std::uint64_t slots = slotsFor(rows);
    // A buffer that has grown keeps its contents, so a failure part way
    // leaves the set as it was, only with more room in some buffers.
    if (!holdAtLeast(rows_, count * static_cast<std::uint64_t>(rowLength_)) ||
        !holdAtLeast(hashes_, count) || !holdAtLeast(pairs_, count) ||
        !holdAtLeast(slotOfRow_, count) || !holdAtLeast(keys_, count) ||
        (slots > slotLimit_ && !slots_.resize(slots))) {
        return false;
    }
    rowCapacity_ = rows;
    tournamentLeaves_ = 0; // built again, over the new rows, when asked for
    slotLimit_ = static_cast<std::uint32_t>(std::max<std::uint64_t>(slots, slotLimit_));
    return true;
}

std::int32_t TermSet::toggleHashed(const Entry* candidate, std::uint32_t hash, PairRange pairs) {
    const int length = rowLength_;
    std::uint32_t s = hash & slotMask_;
    for (std::uint64_t entry = slots_[s]; entry != 0; entry = slots_[s]) {
        if (slotHash(entry) == hash && sameMonomial(row(slotRow(entry)), candidate, length)) {
            const std::int32_t r = slotRow(entry);
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
    CURTIS_INVARIANT(rowCount_ <= rowCapacity_ && rowCapacity_ <= rowLimit_,
                     "a term set's rows fit its storage, and its storage its limit");
    CURTIS_INVARIANT(2 * static_cast<std::uint64_t>(rowCount_) <= slotMask_ + 1,
                     "a term set's index is at most half full");
    fillSlot(s, hash, r);
    copyMonomial(row(r), candidate, length);
    hashes_[static_cast<std::uint64_t>(r)] = hash;
    pairs_[static_cast<std::uint64_t>(r)] = pairs;
    keys_[static_cast<std::uint64_t>(r)] = curtis::rowKey(candidate, length);
    replayRow(r);
    return r;
}

void TermSet::removeRow(std::int32_t r) {
    CURTIS_INVARIANT(r >= 0 && r < rowCount_, "a row removed is a row in use");
    cancelRow(slotOfRow_[static_cast<std::uint64_t>(r)], r);
}

bool TermSet::toggle(const Entry* candidate) {
    return toggleHashed(candidate, monomialHash(candidate, rowLength_)) >= 0;
}

RowKey rowKey(const Entry* row, int n) {
    // Whole-word loads only, overlapping where the row is short, shifted so
    // that no entry beyond the row is read and zeros fill the rest.
    if (n >= 16) {
        return {detail::inOrder8(row), detail::inOrder8(row + 8)};
    }
    if (n >= 8) {
        return {detail::inOrder8(row),
                n == 8 ? 0 : detail::inOrder8(row + n - 8) << (8 * (16 - n))};
    }
    std::uint64_t high = 0;
    if (n >= 4) {
        high = (std::uint64_t{detail::inOrder4(row)} << 32) |
               (std::uint64_t{detail::inOrder4(row + n - 4)} << (8 * (8 - n)));
    } else {
        for (int i = 0; i < n; ++i) {
            high |= std::uint64_t{row[i]} << (56 - 8 * i);
        }
    }
    return {high, 0};
}

std::int32_t TermSet::greatestRow() const {
    CURTIS_INVARIANT(rowCount_ > 0, "only a non-empty term set has a leading term");
    if (tournamentLeaves_ > 0 || (rowCount_ >= tournamentRows && buildTournament())) {
        return tournament_[1];
    }
    // The keys order the rows as their first 16 entries do; only rows whose
    // keys tie need their whole entries compared.
    std::int32_t leading = 0;
    RowKey best = keys_[0];
    for (std::int32_t i = 1; i < rowCount_; ++i) {
        const RowKey key = keys_[static_cast<std::uint64_t>(i)];
        if (key.high > best.high || (key.high == best.high && key.low >= best.low)) {
            if (key.high == best.high && key.low == best.low &&
                (rowLength_ <= 16 || compareMonomials(row(i), row(leading), rowLength_) < 0)) {
                continue;
            }
            leading = i;
            best = key;
        }
    }
    return leading;
}

// The greater of rows a and b, either of which may be -1 for none.
std::int32_t TermSet::greaterRow(std::int32_t a, std::int32_t b) const {
    if (a < 0 || b < 0) {
        return std::max(a, b);
    }
    const RowKey x = keys_[static_cast<std::uint64_t>(a)];
    const RowKey y = keys_[static_cast<std::uint64_t>(b)];
    if (x.high != y.high) {
        return x.high > y.high ? a : b;
    }
    if (x.low != y.low) {
        return x.low > y.low ? a : b;
    }
    return compareMonomials(row(a), row(b), rowLength_) > 0 ? a : b;
}

// Builds the tournament over every row. False, leaving the set to scans,
// when its storage cannot be obtained.
bool TermSet::buildTournament() const {
    std::int32_t leaves = 1;
    while (leaves < rowCapacity_) {
        leaves *= 2;
    }
    const std::uint64_t nodes = 2 * static_cast<std::uint64_t>(leaves);
    if (tournament_.size() < nodes && !tournament_.allocate(nodes)) {
        return false;
    }
    std::int32_t* node = tournament_.data();
    for (std::int32_t r = 0; r < leaves; ++r) {
        node[leaves + r] = r < rowCount_ ? r : -1;
    }
    for (std::int32_t n = leaves - 1; n >= 1; --n) {
        node[n] = greaterRow(node[2 * n], node[2 * n + 1]);
    }
    tournamentLeaves_ = leaves;
    return true;
}

// Row r has changed (or is gone): plays its matches again toward the root.
// A match whose winner stays the same row, and that row is not r, decides
// every match above it as before: the replay stops there.
void TermSet::replayRow(std::int32_t r) {
    if (tournamentLeaves_ == 0) {
        return;
    }
    std::int32_t* node = tournament_.data();
    std::uint64_t n = static_cast<std::uint64_t>(tournamentLeaves_ + r);
    node[n] = r < rowCount_ ? r : -1;
    for (n /= 2; n >= 1; n /= 2) {
        const std::int32_t before = node[n];
        const std::int32_t winner = greaterRow(node[2 * n], node[2 * n + 1]);
        if (winner == before && winner != r) {
            return;
        }
        node[n] = winner;
    }
}

} // namespace curtis
