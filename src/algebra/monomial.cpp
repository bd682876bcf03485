#include "algebra/monomial.hpp"

namespace curtis {

bool isAdmissible(const Entry* a, int n) {
    for (int j = 1; j + 1 < n; ++j) {
        if (2 * a[j] < a[j + 1]) {
            return false;
        }
    }
    return true;
}

} // namespace curtis
