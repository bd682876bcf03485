#pragma once

#include "algebra/monomial.hpp"
#include "check/invariant.hpp"

#include <cstdint>
#include <vector>

namespace curtis {

// Words of one length, kept in the order they came, each stored as the
// number of leading entries it shares with the word before it (at most
// 255), then its other entries. The words of a chain mostly share a long
// start with the one before, so a word takes a few bytes rather than its
// length.
class PackedWords {
public:
    explicit PackedWords(int length = 0) { clear(length); }

    // Forgets every word, and the room of many; the words to come have
    // length entries.
    void clear(int length);
    void push(const Entry* word);

    int length() const { return length_; }
    std::int64_t size() const { return count_; }
    // The bytes the words take, as stored.
    std::uint64_t bytes() const { return packed_.capacity() + last_.capacity(); }
    // Gives back the room kept for words to come; none may come after.
    void seal();

    // Calls visit(word) for each word in the order pushed, length entries
    // each, until it returns false; false then.
    template <typename Visit> bool forEach(Visit&& visit) const {
        Entry word[maxMonomialLength];
        const std::size_t length = static_cast<std::size_t>(length_);
        for (std::size_t at = 0; at < packed_.size();) {
            const std::size_t shared = packed_[at++];
            CURTIS_INVARIANT(shared <= length && at + length - shared <= packed_.size(),
                             "a packed word lies within its words");
            for (std::size_t e = shared; e < length; ++e) {
                word[e] = packed_[at++];
            }
            if (!visit(static_cast<const Entry*>(word))) {
                return false;
            }
        }
        return true;
    }

private:
    int length_ = 0;
    std::int64_t count_ = 0;
    std::vector<Entry> packed_;
    std::vector<Entry> last_; // the word pushed last, while words may come
};

} // namespace curtis
