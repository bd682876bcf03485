#pragma once

#include "algebra/monomial.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace curtis {

// A vector of F2^n for each of a set of words of one length, n fixed: the
// coordinates of the words of one level against its n survivors (see
// ClassReader).
//
// Invariant: the words held are distinct and kept in the order they were
// added, word i at entries i * length to (i + 1) * length - 1, its hash
// (monomialHash over length entries) beside it, its vector at blocks i *
// blocks() to (i + 1) * blocks() - 1, 64 coordinates a block, coordinate j
// in bit j % 64 of block j / 64, the bits past n zero. The index is a table
// of 2^m slots (linear probing), at most half of them in use, each free (0)
// or holding one word's number plus one; every word held has a slot.
class WordCoordinates {
public:
    static constexpr std::int32_t absent = -1;

    WordCoordinates(int length, std::size_t n);

    // The number of `word` (of hash `hash`), or absent.
    std::int32_t find(const Entry* word, std::uint32_t hash) const;
    // Adds a word not held, its vector zero; returns its number.
    std::int32_t add(const Entry* word, std::uint32_t hash);

    std::int32_t size() const { return static_cast<std::int32_t>(hashes_.size()); }
    std::size_t length() const { return length_; }
    std::size_t blocks() const { return blocks_; }
    std::uint64_t* vector(std::int32_t i) {
        return bits_.data() + static_cast<std::size_t>(i) * blocks_;
    }
    const std::uint64_t* vector(std::int32_t i) const {
        return bits_.data() + static_cast<std::size_t>(i) * blocks_;
    }
    // Coordinate j of word i set to one.
    void set(std::int32_t i, std::size_t j) { vector(i)[j / 64] |= std::uint64_t{1} << (j % 64); }
    // Word i's vector plus word from's.
    void addVector(std::int32_t i, std::int32_t from);

    // The bytes held.
    std::size_t bytes() const;

private:
    void grow();

    std::size_t length_;
    std::size_t blocks_;
    std::vector<Entry> words_;
    std::vector<std::uint32_t> hashes_;
    std::vector<std::uint64_t> bits_;
    std::vector<std::uint32_t> slots_;
};

} // namespace curtis
