#pragma once

namespace curtis {

// The largest Adams filtration s in which the sphere has a class of a stem
// from 1 to n: Ext^{s,t} = 0 for 0 < t - s < U(s), with U(4k) = 8k - 1,
// U(4k + 1) = 8k + 1, U(4k + 2) = 8k + 2 and U(4k + 3) = 8k + 3.
inline int vanishingFiltration(long long n) {
    const auto bound = [](int s) { return 8 * (s / 4) + (s % 4 == 0 ? -1 : s % 4); };
    int s = 0;
    while (bound(s + 1) <= n) {
        ++s;
    }
    return s;
}

} // namespace curtis
