#pragma once

#include <cstdint>
#include <cstring>

// A monomial is a run of entries: entry 0 is the cell index, entries 1 onward
// are lambda indices. A monomial of level L has L + 1 entries; its length is
// never stored with it, it follows from the level.
//
// Monomials are stored compactly, one byte per entry. The cell index is kept
// as its offset from the bottom cell, cell + w, and the lambda indices as they
// are. In total degree t every entry of every monomial the computation meets
// then lies in 0 .. t - 1: the entries of a level-L monomial add up to
// t - 1 - L, and none is negative. Shifting the cell index keeps the order of
// monomials, so comparing two monomials is comparing their bytes. Only the
// chart converts the offset back to the cell index it prints, and only the
// parity test of a cell split needs the true cell value.

namespace curtis {

using Entry = std::uint8_t;

// The longest monomial any total degree the program takes can produce, with
// room to spare; work rows of this many entries live on the stack.
inline constexpr int maxMonomialLength = 64;

// The cell index printed for a stored cell offset, and back.
inline std::int32_t printedCell(Entry offset, std::int32_t w) {
    return static_cast<std::int32_t>(offset) - w;
}
inline Entry cellOffset(std::int32_t cell, std::int32_t w) {
    return static_cast<Entry>(cell + w);
}

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
bool isAdmissible(const Entry* a, int n);

// Copies the n entries of a monomial; the two runs must not overlap.
inline void copyMonomial(Entry* __restrict to, const Entry* __restrict from, int n) {
    std::memcpy(to, from, static_cast<std::size_t>(n));
}

// Lexicographic comparison of two monomials of length n, entry 0 first: 1 if
// a > b, -1 if a < b, 0 if equal. With the cell index stored as its offset,
// this is the order of the true (signed) cell indices.
inline int compareMonomials(const Entry* a, const Entry* b, int n) {
    const int order = std::memcmp(a, b, static_cast<std::size_t>(n));
    return (order > 0) - (order < 0);
}

} // namespace curtis
