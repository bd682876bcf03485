#pragma once

#include "chart/printed_chart.hpp"

// The sphere's table read as the algebraic EHP sequence. The subcomplex
// Lambda(N) of the words whose first lambda index is below N computes the
// unstable Adams E2 term of S^N. The elimination visits words in increasing
// order and a word's first index decides most of its order, so each
// pairing x -> y (x's elimination ended on the leading term y) pairs a word
// with one of no larger first index, and the table holds every Lambda(N) at
// once: a survivor y is a class of every S^N with N > i1(y), and a target y
// of x is one of the S^N with i1(y) < N <= i1(x). So y is born on
// S^(i1(y) + 1) and, as a target, dies on S^(i1(x) + 1). The unit has no
// lambda index: it is born on S^0.

namespace curtis {

// The sphere a word of level k of the sphere's table is born on (k + 1
// entries, the cell 0 first, stored or printed): its first lambda index plus
// one, 0 for the unit.
template <typename Index> int birthSphere(const Index* word, int k) {
    return k < 1 ? 0 : static_cast<int>(word[1]) + 1;
}

inline int birthSphere(const PrintedMonomial& word) {
    return birthSphere(word.data(), static_cast<int>(word.size()) - 1);
}

// Whether a word of level k that survives (tag null) or is hit by tag, of
// level k - 1, is a class of S^N: born on S^N or below and, as a target,
// killed from above S^N.
template <typename Index> bool classOfSphere(const Index* word, const Index* tag, int k, int n) {
    return birthSphere(word, k) <= n && (tag == nullptr || birthSphere(tag, k - 1) > n);
}

} // namespace curtis
