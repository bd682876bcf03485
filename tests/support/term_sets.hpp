#pragma once

#include "algebra/term_set.hpp"

#include <cstdint>
#include <vector>

namespace curtis::testing {

using Word = std::vector<std::int32_t>;
using Words = std::vector<Word>;

// A term set over storage of its own. Every row has room for rowLength + 2
// entries so that tests can see that entries beyond rowLength are ignored.
class OwnedTermSet {
public:
    explicit OwnedTermSet(int rowLength, int rowLimit = 256)
        : stride_(rowLength + 2), block_(static_cast<std::size_t>(rowLimit) * stride_, -77),
          rows_(static_cast<std::size_t>(rowLimit)), scratch_(stride_, 0) {
        for (int i = 0; i < rowLimit; ++i) {
            rows_[i] = block_.data() + static_cast<std::size_t>(i) * stride_;
        }
        set_.rows = rows_.data();
        set_.rowCount = 0;
        set_.rowLength = rowLength;
        set_.rowLimit = rowLimit;
    }

    TermSet& set() { return set_; }
    std::int32_t* scratch() { return scratch_.data(); }
    std::int32_t* row(int i) { return rows_[i]; }

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
            result.emplace_back(rows_[i], rows_[i] + set_.rowLength);
        }
        return result;
    }

private:
    int stride_;
    std::vector<std::int32_t> block_;
    std::vector<std::int32_t*> rows_;
    std::vector<std::int32_t> scratch_;
    TermSet set_;
};

} // namespace curtis::testing
