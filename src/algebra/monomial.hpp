#pragma once

#include <cstdint>

// A monomial is a run of 32-bit signed integers: entry 0 is the cell index,
// entries 1 onward are lambda indices. A monomial of level L has L + 1
// entries; its length is never stored with it, it follows from the level.
// The sum of all entries (the coweight) is the same for every monomial of a
// level.

namespace curtis {

// Parity of the binomial coefficient C(n, k), 1 if odd and 0 if even. For a
// negative n the coefficient is the generalised one, n(n-1)...(n-k+1)/k!.
// By Lucas' theorem for the prime 2, extended to negative n through its
// two's-complement digits, C(n, k) is odd exactly when every bit set in k is
// set in n. A negative k gives 0.
inline int binomialIsOdd(std::int32_t n, std::int32_t k) {
    return (k >= 0 && (k & ~n) == 0) ? 1 : 0;
}

// True when 2 * a[j] >= a[j + 1] for every j from 1 to n - 2. The cell index
// a[0] is not constrained against the first lambda index.
bool isAdmissible(const std::int32_t* a, int n);

// Copies the n entries of a monomial; the two runs must not overlap.
inline void copyMonomial(std::int32_t* __restrict to, const std::int32_t* __restrict from, int n) {
    for (int e = 0; e < n; ++e) {
        to[e] = from[e];
    }
}

// Lexicographic comparison of two monomials of length n, entry 0 first, each
// entry compared as a signed value: 1 if a > b, -1 if a < b, 0 if equal.
inline int compareMonomials(const std::int32_t* a, const std::int32_t* b, int n) {
    for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            return a[i] > b[i] ? 1 : -1;
        }
    }
    return 0;
}

} // namespace curtis
