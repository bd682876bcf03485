#include "table/packed_words.hpp"

#include <algorithm>

namespace curtis {

namespace {

constexpr std::size_t bigRoom = std::size_t{1} << 20;

} // namespace

void PackedWords::clear(int length) {
    CURTIS_INVARIANT(length >= 0 && length <= maxMonomialLength, "a packed word fits a monomial");
    length_ = length;
    count_ = 0;
    // Room a long chain took is given back rather than held for the next.
    if (packed_.capacity() > bigRoom) {
        packed_ = std::vector<Entry>();
    }
    packed_.clear();
    last_.assign(static_cast<std::size_t>(length), 0);
}

void PackedWords::push(const Entry* word) {
    CURTIS_INVARIANT(last_.size() == static_cast<std::size_t>(length_),
                     "words are pushed only before the words are sealed");
    const std::size_t length = static_cast<std::size_t>(length_);
    std::size_t shared = 0;
    const std::size_t most = std::min<std::size_t>(length, 255);
    // Nothing is shared with the word before the first.
    if (count_ > 0) {
        while (shared < most && last_[shared] == word[shared]) {
            ++shared;
        }
    }
    packed_.push_back(static_cast<Entry>(shared));
    packed_.insert(packed_.end(), word + shared, word + length);
    std::copy(word + shared, word + length, last_.begin() + static_cast<std::ptrdiff_t>(shared));
    ++count_;
}

void PackedWords::seal() {
    packed_.shrink_to_fit();
    last_.clear();
    last_.shrink_to_fit();
}

} // namespace curtis
