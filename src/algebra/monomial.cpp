#include "algebra/monomial.hpp"

namespace curtis {

bool isAdmissible(const std::int32_t* a, int n) {
    for (int j = 1; j + 1 < n; ++j) {
        if (2 * a[j] < a[j + 1]) {
            return false;
        }
    }
    return true;
}

int compareMonomials(const std::int32_t* a, const std::int32_t* b, int n) {
    for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            return a[i] > b[i] ? 1 : -1;
        }
    }
    return 0;
}

} // namespace curtis
