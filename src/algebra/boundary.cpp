#include "algebra/boundary.hpp"

#include "algebra/monomial.hpp"

#include <algorithm>

namespace curtis {

bool appendBoundary(const std::int32_t* x, int k, std::int32_t w, TermSet& set,
                    std::int32_t* scratch) {
    for (int p = 0; p <= k; ++p) {
        // The entries around position p stay; p and p + 1 take each term's pair.
        std::copy(x, x + p, scratch);
        std::copy(x + p + 1, x + k + 1, scratch + p + 2);
        const std::int32_t n = x[p];
        // The cell index may split down to -w; a lambda index into two halves
        // with n - j >= j.
        const std::int32_t last = p == 0 ? n + w : n / 2;
        for (std::int32_t j = 1; j <= last; ++j) {
            if (binomialIsOdd(n - j, j)) {
                scratch[p] = n - j;
                scratch[p + 1] = j - 1;
                if (!toggle(set, scratch)) {
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace curtis
