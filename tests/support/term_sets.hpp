#pragma once

#include "algebra/term_set.hpp"

#include <cstdint>
#include <vector>

namespace curtis::testing {

// Monomials as tests write them: the cell index as printed (true value),
// then the lambda indices.
using Word = std::vector<std::int32_t>;
using Words = std::vector<Word>;

// The stored form of a word for weight w: the cell index as its offset
// cell + w.
inline std::vector<Entry> stored(const Word& word, std::int32_t w = 0) {
    std::vector<Entry> entries;
    for (std::size_t e = 0; e < word.size(); ++e) {
        entries.push_back(e == 0 ? cellOffset(word[e], w) : static_cast<Entry>(word[e]));
    }
    return entries;
}

// The printed form of `length` stored entries for weight w.
inline Word printed(const Entry* entries, int length, std::int32_t w = 0) {
    Word word;
    for (int e = 0; e < length; ++e) {
        word.push_back(e == 0 ? printedCell(entries[e], w) : entries[e]);
    }
    return word;
}

// A term set of at most rowLimit rows of rowLength entries, starting with
// storage for startRows, with room for a longer row in its storage so that
// tests can see that entries beyond rowLength are ignored.
inline TermSet termSet(int rowLength, std::int32_t rowLimit = 256,
                       std::int32_t startRows = TermSet::initialRows) {
    TermSet set;
    set.allocate(rowLimit, rowLength + 1, startRows);
    set.clear(rowLength);
    return set;
}

// Toggles every word in (stored for weight w); true if all found room.
inline bool add(TermSet& set, const Words& words, std::int32_t w = 0) {
    bool ok = true;
    for (const Word& word : words) {
        ok = set.toggle(stored(word, w).data()) && ok;
    }
    return ok;
}

// The rows in use, in their order, printed for weight w.
inline Words rows(const TermSet& set, std::int32_t w = 0) {
    Words result;
    for (std::int32_t i = 0; i < set.rowCount(); ++i) {
        result.push_back(printed(set.row(i), set.rowLength(), w));
    }
    return result;
}

} // namespace curtis::testing
