#pragma once

#include "algebra/monomial.hpp"
#include "check/invariant.hpp"
#include "table/packed_words.hpp"

#include <cstdint>
#include <unordered_map>
#include <vector>

// The records a Curtis table keeps: one for each E1 generator the
// elimination has met, and none for any other word.

namespace curtis {

enum GeneratorState : std::uint8_t {
    // Its elimination ended on an Alive leading term of the level above,
    // which now carries this generator as its tag.
    Source = 0,
    // Every generator starts here; after its level is eliminated it survives.
    Alive = 1,
    // A leading term on which the elimination of a generator of the level
    // below ended; its tag is that generator.
    Hit = 2,
};

// Keys of words, folded from the last entry to the first, so that the key of
// every suffix (0, i_p, ..., i_L) of a word comes on the way to the key of
// the whole word: the sphere's records are found by walking suffixes.
inline std::uint64_t foldLambda(std::uint64_t tail, Entry index) {
    return ((tail << 7 | tail >> 57) ^ index) * 0x9E3779B97F4A7C15ull;
}
// The key of a word from its cell entry and the fold of its lambda indices.
inline std::uint64_t wordKey(Entry cell, std::uint64_t lambdas) {
    std::uint64_t x = lambdas ^ (std::uint64_t{cell} + 1) * 0xD6E8FEB86659FD93ull;
    x ^= x >> 32;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 29;
    return x;
}
// The key of a whole word of `length` entries.
std::uint64_t wordKey(const Entry* word, int length);

// The kept records of one level L of one table in one total degree.
//
// Invariants: the words are distinct words of level L (L + 1 entries each);
// a record's partner is the index of a record of an adjacent level of the
// same table and degree: a Hit record's tag (level L - 1, a Source whose
// partner is this record), a Source record's target (level L + 1, Hit with
// this record as its tag); an Alive record has none (-1). The index holds
// every record, at the slot its key probes to first or after it (linear
// probing), and is at most half full.
class LevelRecords {
public:
    static constexpr std::int32_t none = -1;

    explicit LevelRecords(int level = 0) : level_(level) {}

    int level() const { return level_; }
    std::int32_t size() const { return static_cast<std::int32_t>(states_.size()); }
    bool empty() const { return states_.empty(); }

    const Entry* word(std::int32_t i) const {
        CURTIS_INVARIANT(i >= 0 && i < size(), "a record index lies in its level");
        return words_.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(level_ + 1);
    }
    GeneratorState state(std::int32_t i) const {
        CURTIS_INVARIANT(i >= 0 && i < size(), "a record index lies in its level");
        return states_[static_cast<std::size_t>(i)];
    }
    std::int32_t partner(std::int32_t i) const {
        CURTIS_INVARIANT(i >= 0 && i < size(), "a record index lies in its level");
        return partners_[static_cast<std::size_t>(i)];
    }

    // The record of word (L + 1 entries, with its key), or none.
    std::int32_t find(const Entry* word, std::uint64_t key) const;
    std::int32_t find(const Entry* word) const { return find(word, wordKey(word, level_ + 1)); }
    // The record of the sphere's word (0, lambdas[0], ..., lambdas[L - 1])
    // with its key, or none.
    std::int32_t findLambdas(const Entry* lambdas, std::uint64_t key) const;

    // Adds a record for word, which has none; returns its index.
    std::int32_t add(const Entry* word, GeneratorState state, std::int32_t partner = none);
    void set(std::int32_t i, GeneratorState state, std::int32_t partner) {
        CURTIS_INVARIANT(i >= 0 && i < size(), "a record index lies in its level");
        states_[static_cast<std::size_t>(i)] = state;
        partners_[static_cast<std::size_t>(i)] = partner;
    }

    // The cycle kept for Alive record i, whose chain was long: the words
    // whose boundaries its elimination added, itself first (L + 1 entries
    // each); they add up to a cycle. Kept by the step that makes the level
    // final, read by later steps (see eliminateLevel). None for most records.
    void keepCycle(std::int32_t i, PackedWords words);
    const PackedWords* cycle(std::int32_t i) const {
        const auto found = cycles_.find(i);
        return found != cycles_.end() ? &found->second : nullptr;
    }

    // The records in increasing order of their words: the order the
    // elimination visits them. Computed again after records were added.
    const std::vector<std::int32_t>& increasing() const;

    // The bytes the records and their index hold.
    std::uint64_t bytes() const;

private:
    void growIndex();

    int level_;
    std::vector<Entry> words_;
    std::vector<GeneratorState> states_;
    std::vector<std::int32_t> partners_;
    std::vector<std::uint64_t> keys_;
    // Slot values: record index + 1, 0 for a free slot.
    std::vector<std::uint32_t> slots_;
    mutable std::vector<std::int32_t> increasing_;
    mutable bool sorted_ = true;
    std::unordered_map<std::int32_t, PackedWords> cycles_;
};

} // namespace curtis
