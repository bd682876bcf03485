#include "readings/word_coordinates.hpp"

#include "check/invariant.hpp"

#include <algorithm>

namespace curtis {

namespace {

constexpr std::size_t firstSlots = 64;

} // namespace

WordCoordinates::WordCoordinates(int length, std::size_t n)
    : length_(static_cast<std::size_t>(length)), blocks_((n + 63) / 64), slots_(firstSlots, 0) {}

std::int32_t WordCoordinates::find(const Entry* word, std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const std::uint32_t held = slots_[s];
        if (held == 0) {
            return absent;
        }
        const std::size_t i = held - 1;
        if (hashes_[i] == hash &&
            std::equal(word, word + length_,
                       words_.begin() + static_cast<std::ptrdiff_t>(i * length_))) {
            return static_cast<std::int32_t>(i);
        }
    }
}

std::int32_t WordCoordinates::add(const Entry* word, std::uint32_t hash) {
    CURTIS_INVARIANT(find(word, hash) == absent, "a word's coordinates are added once");
    if (2 * (hashes_.size() + 1) > slots_.size()) {
        grow();
    }
    const std::int32_t i = size();
    words_.insert(words_.end(), word, word + length_);
    hashes_.push_back(hash);
    bits_.resize(bits_.size() + blocks_, 0);
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = hash & mask;
    while (slots_[s] != 0) {
        s = (s + 1) & mask;
    }
    slots_[s] = static_cast<std::uint32_t>(i) + 1;
    return i;
}

void WordCoordinates::grow() {
    slots_.assign(2 * slots_.size(), 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < hashes_.size(); ++i) {
        std::size_t s = hashes_[i] & mask;
        while (slots_[s] != 0) {
            s = (s + 1) & mask;
        }
        slots_[s] = static_cast<std::uint32_t>(i) + 1;
    }
}

void WordCoordinates::addVector(std::int32_t i, std::int32_t from) {
    std::uint64_t* to = vector(i);
    const std::uint64_t* added = vector(from);
    for (std::size_t b = 0; b < blocks_; ++b) {
        to[b] ^= added[b];
    }
}

std::size_t WordCoordinates::bytes() const {
    return words_.capacity() + hashes_.capacity() * sizeof(std::uint32_t) +
           bits_.capacity() * sizeof(std::uint64_t) + slots_.capacity() * sizeof(std::uint32_t);
}

} // namespace curtis
