#include "oracle/basis.hpp"

#include <algorithm>

namespace curtis::oracle {

BasisCounts::BasisCounts(int t, int topCell, int lastLevel)
    : t_(t), levels_(lastLevel < 0 ? t : std::min(lastLevel, t - 1) + 1),
      topCell_(std::min(topCell, t)), values_(static_cast<std::size_t>(t) + 1),
      sizes_(static_cast<std::size_t>(levels_), 0),
      wordsAbove_(static_cast<std::size_t>(levels_) * static_cast<std::size_t>(t + 1), 0) {
    const int values = t + 1;
    // completions[r][p][s] for r further entries, predecessor p (the first
    // entry is at most 2p) and sum s; every value lies in 0 .. t - 1, and a
    // predecessor of t or more no longer limits anything. Each is a sum over
    // the first entry v, kept as a running sum over p: the entries allowed
    // after p + 1 are those after p and two more.
    completions_.assign(static_cast<std::size_t>(levels_) * values_ * values_, 0);
    for (int p = 0; p < values; ++p) {
        completions_[at(0, p, 0)] = 1;
    }
    for (int r = 1; r < levels_; ++r) {
        for (int s = 0; s < values; ++s) {
            std::int64_t total = 0;
            int reached = -1; // the first entries v <= reached are summed
            for (int p = 0; p < values; ++p) {
                for (const int bound = std::min(2 * p, s); reached < bound;) {
                    ++reached;
                    total = addCounts(total, completions_[at(r - 1, reached, s - reached)]);
                }
                completions_[at(r, p, s)] = total;
            }
        }
    }
    // tailsFrom[r][s][u], r >= 1: the sum over v >= u of completions(r - 1,
    // v, s - v), built from u = s down; 0 from u = s + 1 on.
    tailsFrom_.assign(static_cast<std::size_t>(levels_) * values_ * (values_ + 1), 0);
    for (int r = 1; r < levels_; ++r) {
        for (int s = 0; s < values; ++s) {
            std::int64_t total = 0;
            for (int u = s; u >= 0; --u) {
                total = addCounts(total, completions_[at(r - 1, u, s - u)]);
                tailsFrom_[tailIndex(r, s, u)] = total;
            }
        }
    }
    // Level L: a cell offset c from the highest, t - 1 - L or the top cell,
    // down to 0, then L lambda indices adding up to the rest, the first one
    // unconstrained.
    for (int L = 0; L < levels_; ++L) {
        const int top = t - 1 - L;
        std::int64_t total = 0;
        for (int cell = top; cell >= 0; --cell) {
            wordsAbove_[static_cast<std::size_t>(L) * values_ + static_cast<std::size_t>(cell)] =
                total;
            if (cell <= topCell_) {
                total = addCounts(total, lambdaWords(L, top - cell));
            }
        }
        sizes_[static_cast<std::size_t>(L)] = total;
    }
}

} // namespace curtis::oracle
