#include "algebra/reduction.hpp"

#include "algebra/monomial.hpp"

#include <algorithm>

namespace curtis {

bool reduceToAdmissible(TermSet& set, std::int32_t* scratch) {
    const int length = set.rowLength;
    for (;;) {
        // The first inadmissible pair, rows in order, pairs left to right.
        std::int32_t row = -1;
        int j = 0;
        for (std::int32_t i = 0; i < set.rowCount && row < 0; ++i) {
            const std::int32_t* a = set.rows[i];
            for (int p = 1; p + 1 < length; ++p) {
                if (2 * a[p] < a[p + 1]) {
                    row = i;
                    j = p;
                    break;
                }
            }
        }
        if (row < 0) {
            return true;
        }
        const std::int32_t* a = set.rows[row];
        std::copy(a, a + length, scratch);
        const std::int32_t x = a[j];
        const std::int32_t y = a[j + 1];
        const std::int32_t d = y - 2 * x - 2;
        for (std::int32_t m = 0; 2 * m <= d; ++m) {
            if (binomialIsOdd(d - m, m)) {
                scratch[j] = y - x - 1 - m;
                scratch[j + 1] = 2 * x + 1 + m;
                if (!toggle(set, scratch)) {
                    return false;
                }
            }
        }
        // The rewritten row, wherever the terms above have moved it.
        scratch[j] = x;
        scratch[j + 1] = y;
        toggle(set, scratch);
    }
}

} // namespace curtis
