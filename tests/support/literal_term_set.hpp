#pragma once

// The term-set operations written out in their plainest form: a linear
// search per toggle and a rescan from row 0 after every rewrite. Tests hold
// the program's faster versions to exactly these rows, in exactly this order.

#include "algebra/monomial.hpp"
#include "support/term_sets.hpp"

namespace curtis::testing {

inline void literalToggle(Words& rows, const Word& candidate) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == candidate) {
            rows[i] = rows.back();
            rows.pop_back();
            return;
        }
    }
    rows.push_back(candidate);
}

inline void literalReduce(Words& rows) {
    for (;;) {
        std::size_t row = rows.size();
        std::size_t j = 0;
        for (std::size_t i = 0; i < rows.size() && row == rows.size(); ++i) {
            for (std::size_t p = 1; p + 1 < rows[i].size(); ++p) {
                if (2 * rows[i][p] < rows[i][p + 1]) {
                    row = i;
                    j = p;
                    break;
                }
            }
        }
        if (row == rows.size()) {
            return;
        }
        Word term = rows[row];
        const std::int32_t x = term[j];
        const std::int32_t y = term[j + 1];
        const std::int32_t d = y - 2 * x - 2;
        for (std::int32_t m = 0; 2 * m <= d; ++m) {
            if (binomialIsOdd(d - m, m)) {
                term[j] = y - x - 1 - m;
                term[j + 1] = 2 * x + 1 + m;
                literalToggle(rows, term);
            }
        }
        term[j] = x;
        term[j + 1] = y;
        literalToggle(rows, term);
    }
}

} // namespace curtis::testing
