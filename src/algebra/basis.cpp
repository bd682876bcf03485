#include "algebra/basis.hpp"

namespace curtis {

BasisCounts::BasisCounts(int t) : t_(t), sizes_(static_cast<std::size_t>(t), 0) {
    // completions[r][p][s] for r further entries, predecessor p (the first
    // entry is at most 2p) and sum s; every value lies in 0 .. t - 1, and a
    // predecessor of t or more no longer limits anything.
    const int values = t + 1;
    const auto at = [values](int r, int p, int s) {
        return (static_cast<std::size_t>(r) * values + static_cast<std::size_t>(p)) * values +
               static_cast<std::size_t>(s);
    };
    std::vector<std::int64_t>& table = completions_;
    table.assign(static_cast<std::size_t>(t) * values * values, 0);
    for (int p = 0; p < values; ++p) {
        table[at(0, p, 0)] = 1;
    }
    for (int r = 1; r < t; ++r) {
        for (int p = 0; p < values; ++p) {
            for (int s = 0; s < values; ++s) {
                std::int64_t total = 0;
                for (int v = 0; v <= std::min(2 * p, s); ++v) {
                    total += table[at(r - 1, v, s - v)];
                }
                table[at(r, p, s)] = total;
            }
        }
    }
    // Level L: a cell offset c from 0 to t - 1 - L, then L lambda indices
    // adding up to the rest, the first one unconstrained.
    for (int L = 0; L < t; ++L) {
        std::int64_t total = 0;
        for (int rest = 0; rest <= t - 1 - L; ++rest) {
            total += table[at(L, t, rest)];
        }
        sizes_[static_cast<std::size_t>(L)] = total;
    }
}

std::int64_t BasisCounts::partSize(int L, int cell, int first) const {
    const int rest = t_ - 1 - L - cell;
    if (L < 1 || cell < 0 || first < 0 || first > rest) {
        return 0;
    }
    // L - 1 further lambda indices, the first at most 2 first, adding up to
    // the rest.
    return completions(L - 1, first, rest - first);
}

} // namespace curtis
