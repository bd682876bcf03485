#include "table/kept_records.hpp"

#include <algorithm>
#include <cstring>

namespace curtis {

std::uint64_t wordKey(const Entry* word, int length) {
    std::uint64_t lambdas = 0;
    for (int e = length - 1; e >= 1; --e) {
        lambdas = foldLambda(lambdas, word[e]);
    }
    return wordKey(word[0], lambdas);
}

std::int32_t LevelRecords::find(const Entry* word, std::uint64_t key) const {
    if (slots_.empty()) {
        return none;
    }
    const std::size_t mask = slots_.size() - 1;
    const int length = level_ + 1;
    for (std::size_t s = key & mask;; s = (s + 1) & mask) {
        const std::uint32_t slot = slots_[s];
        if (slot == 0) {
            return none;
        }
        const std::int32_t i = static_cast<std::int32_t>(slot - 1);
        if (keys_[slot - 1] == key && sameMonomial(this->word(i), word, length)) {
            return i;
        }
    }
}

std::int32_t LevelRecords::findLambdas(const Entry* lambdas, std::uint64_t key) const {
    if (slots_.empty()) {
        return none;
    }
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = key & mask;; s = (s + 1) & mask) {
        const std::uint32_t slot = slots_[s];
        if (slot == 0) {
            return none;
        }
        const std::int32_t i = static_cast<std::int32_t>(slot - 1);
        const Entry* stored = word(i);
        if (keys_[slot - 1] == key && stored[0] == 0 &&
            std::memcmp(stored + 1, lambdas, static_cast<std::size_t>(level_)) == 0) {
            return i;
        }
    }
}

std::int32_t LevelRecords::add(const Entry* word, GeneratorState state, std::int32_t partner) {
    CURTIS_INVARIANT(find(word) == none, "the words of a level are distinct");
    const std::int32_t i = size();
    const int length = level_ + 1;
    words_.insert(words_.end(), word, word + length);
    states_.push_back(state);
    partners_.push_back(partner);
    keys_.push_back(wordKey(word, length));
    if (2 * static_cast<std::size_t>(i + 1) > slots_.size()) {
        growIndex();
    } else {
        const std::size_t mask = slots_.size() - 1;
        std::size_t s = keys_.back() & mask;
        while (slots_[s] != 0) {
            s = (s + 1) & mask;
        }
        slots_[s] = static_cast<std::uint32_t>(i + 1);
    }
    CURTIS_INVARIANT(2 * static_cast<std::size_t>(i + 1) <= slots_.size(),
                     "the index of a level is at most half full");
    sorted_ = false;
    return i;
}

// Doubles the index (at least 16 slots) and enters every record again.
void LevelRecords::growIndex() {
    slots_.assign(std::max<std::size_t>(16, 2 * slots_.size()), 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        std::size_t s = keys_[i] & mask;
        while (slots_[s] != 0) {
            s = (s + 1) & mask;
        }
        slots_[s] = static_cast<std::uint32_t>(i + 1);
    }
}

const std::vector<std::int32_t>& LevelRecords::increasing() const {
    if (!sorted_ || increasing_.size() != states_.size()) {
        increasing_.resize(states_.size());
        for (std::size_t i = 0; i < increasing_.size(); ++i) {
            increasing_[i] = static_cast<std::int32_t>(i);
        }
        const int length = level_ + 1;
        std::sort(increasing_.begin(), increasing_.end(), [&](std::int32_t a, std::int32_t b) {
            return compareMonomials(word(a), word(b), length) < 0;
        });
        for (std::size_t i = 1; i < increasing_.size(); ++i) {
            CURTIS_INVARIANT(
                compareMonomials(word(increasing_[i - 1]), word(increasing_[i]), length) < 0,
                "a level's words in increasing order are strictly increasing");
        }
        sorted_ = true;
    }
    return increasing_;
}

void LevelRecords::keepCycle(std::int32_t i, PackedWords words) {
    CURTIS_INVARIANT(state(i) == Alive && words.size() > 0 && words.length() == level_ + 1,
                     "a kept cycle is that of an Alive record, whole words");
    words.seal();
    cycles_[i] = std::move(words);
}

std::uint64_t LevelRecords::bytes() const {
    std::uint64_t cycles = 0;
    for (const auto& [i, words] : cycles_) {
        cycles += words.bytes() + sizeof(i) + sizeof(words) + 2 * sizeof(void*);
    }
    return words_.capacity() * sizeof(Entry) + states_.capacity() * sizeof(GeneratorState) +
           partners_.capacity() * sizeof(std::int32_t) + keys_.capacity() * sizeof(std::uint64_t) +
           slots_.capacity() * sizeof(std::uint32_t) +
           increasing_.capacity() * sizeof(std::int32_t) + cycles;
}

} // namespace curtis
