#pragma once

#include "algebra/term_set.hpp"

#include <cstdint>
#include <vector>

namespace curtis::testing {

using Word = std::vector<std::int32_t>;
using Words = std::vector<Word>;

// A term set over storage of its own, with rows of rowLength entries. One
// spare row follows the last, so that tests can see that entries beyond
// rowLength are ignored.
class OwnedTermSet {
public:
    explicit OwnedTermSet(int rowLength, int rowLimit = 256)
        : block_(static_cast<std::size_t>(rowLimit + 1) * rowLength, -77),
          hashes_(static_cast<std::size_t>(rowLimit)), pairs_(static_cast<std::size_t>(rowLimit)),
          slots_(termSetSlots(rowLimit)), scratch_(static_cast<std::size_t>(rowLength) + 2, 0) {
        set_.rows = block_.data();
        set_.rowLimit = rowLimit;
        set_.rowHashes = hashes_.data();
        set_.rowPairs = pairs_.data();
        set_.slots = slots_.data();
        set_.slotLimit = static_cast<std::uint32_t>(slots_.size());
        set_.slotMask = minimumSlots - 1;
        clearTermSet(set_, rowLength);
    }

    TermSet& set() { return set_; }
    std::int32_t* scratch() { return scratch_.data(); }
    std::int32_t* row(int i) { return set_.row(i); }

    // Toggles every word in; true if all found room.
    bool add(const Words& words) {
        bool ok = true;
        for (const Word& word : words) {
            ok = toggle(set_, word.data()) && ok;
        }
        return ok;
    }

    // The rows in use, in their order.
    Words rows() const {
        Words result;
        for (std::int32_t i = 0; i < set_.rowCount; ++i) {
            result.emplace_back(set_.row(i), set_.row(i) + set_.rowLength);
        }
        return result;
    }

private:
    std::vector<std::int32_t> block_;
    std::vector<std::uint32_t> hashes_;
    std::vector<PairRange> pairs_;
    std::vector<std::uint32_t> slots_;
    std::vector<std::int32_t> scratch_;
    TermSet set_;
};

} // namespace curtis::testing
