#include "algebra/term_set.hpp"

#include <algorithm>

namespace curtis {

bool toggle(TermSet& set, const std::int32_t* candidate) {
    const int length = set.rowLength;
    for (std::int32_t i = 0; i < set.rowCount; ++i) {
        const std::int32_t* row = set.rows[i];
        int e = 0;
        while (e < length && row[e] == candidate[e]) {
            ++e;
        }
        if (e == length) {
            const std::int32_t* last = set.rows[set.rowCount - 1];
            std::copy(last, last + length, set.rows[i]);
            --set.rowCount;
            return true;
        }
    }
    if (set.rowCount >= set.rowLimit) {
        return false;
    }
    std::copy(candidate, candidate + length, set.rows[set.rowCount]);
    ++set.rowCount;
    return true;
}

} // namespace curtis
