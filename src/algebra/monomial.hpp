#pragma once

#include <climits>
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

// The longest monomial any total degree the program takes can produce: a
// word of total degree t has at most t entries, each below t, and entries
// are bytes. Work rows of this many entries live on the stack.
inline constexpr int maxMonomialLength = 256;

// The largest total degree whose entries a byte holds: every entry of a word
// of total degree t lies in 0 .. t - 1.
inline constexpr int maxEntryDegree = 255;

// The top cell offset of a space without a top cell: above every cell any
// total degree can reach.
inline constexpr int noTopCell = INT32_MAX;

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

namespace detail {

inline std::uint64_t load8(const Entry* p) {
    std::uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}
inline std::uint32_t load4(const Entry* p) {
    std::uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}
// Loaded bytes, most significant first: comparing them compares the bytes
// lexicographically.
inline std::uint64_t inOrder8(const Entry* p) {
    return __builtin_bswap64(load8(p));
}
inline std::uint32_t inOrder4(const Entry* p) {
    return __builtin_bswap32(load4(p));
}

} // namespace detail

// Monomials are a few dozen bytes at most: the operations below work in
// whole words, the last word overlapping the one before when n is not a
// multiple of it, and never touch a byte outside the n entries.

// Copies the n entries of a monomial; the two runs must not overlap.
inline void copyMonomial(Entry* __restrict to, const Entry* __restrict from, int n) {
    if (n >= 8) {
        for (int i = 0; i + 8 < n; i += 8) {
            const std::uint64_t word = detail::load8(from + i);
            std::memcpy(to + i, &word, 8);
        }
        const std::uint64_t last = detail::load8(from + n - 8);
        std::memcpy(to + n - 8, &last, 8);
    } else if (n >= 4) {
        const std::uint32_t first = detail::load4(from);
        const std::uint32_t last = detail::load4(from + n - 4);
        std::memcpy(to, &first, 4);
        std::memcpy(to + n - 4, &last, 4);
    } else {
        for (int i = 0; i < n; ++i) {
            to[i] = from[i];
        }
    }
}

// Lexicographic comparison of two monomials of length n, entry 0 first: 1 if
// a > b, -1 if a < b, 0 if equal. With the cell index stored as its offset,
// this is the order of the true (signed) cell indices.
inline int compareMonomials(const Entry* a, const Entry* b, int n) {
    if (n >= 8) {
        // The overlapping last word repeats only bytes already found equal.
        for (int i = 0;; i += 8) {
            const int at = i + 8 < n ? i : n - 8;
            const std::uint64_t x = detail::inOrder8(a + at);
            const std::uint64_t y = detail::inOrder8(b + at);
            if (x != y) {
                return x > y ? 1 : -1;
            }
            if (at == n - 8) {
                return 0;
            }
        }
    }
    if (n >= 4) {
        std::uint32_t x = detail::inOrder4(a);
        std::uint32_t y = detail::inOrder4(b);
        if (x == y) {
            x = detail::inOrder4(a + n - 4);
            y = detail::inOrder4(b + n - 4);
        }
        return (x > y) - (x < y);
    }
    for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            return a[i] > b[i] ? 1 : -1;
        }
    }
    return 0;
}

// True when the n entries of a and b agree.
inline bool sameMonomial(const Entry* a, const Entry* b, int n) {
    if (n >= 8) {
        std::uint64_t differ = detail::load8(a + n - 8) ^ detail::load8(b + n - 8);
        for (int i = 0; i + 8 < n; i += 8) {
            differ |= detail::load8(a + i) ^ detail::load8(b + i);
        }
        return differ == 0;
    }
    if (n >= 4) {
        return ((detail::load4(a) ^ detail::load4(b)) |
                (detail::load4(a + n - 4) ^ detail::load4(b + n - 4))) == 0;
    }
    return compareMonomials(a, b, n) == 0;
}

} // namespace curtis
