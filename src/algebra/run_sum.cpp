#include "algebra/run_sum.hpp"

#include "check/invariant.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace curtis {

namespace {

std::uint64_t bytesOf(std::int64_t terms, int length) {
    return static_cast<std::uint64_t>(terms) * static_cast<std::uint64_t>(length);
}

// The most terms level 0 holds. Small, as every reading of the greatest
// term merges the terms toggled since into it.
constexpr std::int64_t levelTerms = 64;

// A term of n >= 8 entries read as chunks numbers, most significant first:
// chunk i < chunks - 1 holds entries 8i .. 8i + 7, the last one entries
// n - 8 .. n - 1. The last chunk repeats entries of the one before when n is
// not a multiple of 8, which are compared only once those have been found
// equal, so comparing chunk by chunk is comparing the terms.
template <std::size_t chunks> struct Chunked {
    std::array<std::uint64_t, chunks> value;

    Chunked(const Entry* term, std::size_t n) {
        for (std::size_t i = 0; i + 1 < chunks; ++i) {
            value[i] = detail::inOrder8(term + 8 * i);
        }
        value[chunks - 1] = detail::inOrder8(term + n - 8);
    }
    // Copies the term's entries, overlapping chunks included.
    static void copy(Entry* __restrict to, const Entry* __restrict from, std::size_t n) {
        for (std::size_t i = 0; i + 1 < chunks; ++i) {
            std::memcpy(to + 8 * i, from + 8 * i, 8);
        }
        std::memcpy(to + n - 8, from + n - 8, 8);
    }
};

// The order of two chunked terms: x greater than y, or equal to it. Up to
// three chunks, two of them compared as one wide number, it takes no branch.
struct ChunkOrder {
    bool greater;
    bool equal;
};
template <std::size_t chunks>
ChunkOrder orderOf(const Chunked<chunks>& x, const Chunked<chunks>& y) {
    ChunkOrder order{};
    if constexpr (chunks == 1) {
        order.greater = x.value[0] > y.value[0];
        order.equal = x.value[0] == y.value[0];
    } else {
        using Wide = unsigned __int128;
        const Wide x0 = static_cast<Wide>(x.value[0]) << 64 | x.value[1];
        const Wide y0 = static_cast<Wide>(y.value[0]) << 64 | y.value[1];
        if constexpr (chunks == 2) {
            order.greater = x0 > y0;
            order.equal = x0 == y0;
        } else {
            const std::uint64_t x1 = x.value[2];
            const std::uint64_t y1 = y.value[2];
            order.greater = (x0 > y0) | ((x0 == y0) & (x1 > y1));
            order.equal = (x0 == y0) & (x1 == y1);
        }
    }
    return order;
}

// Where a merge from the greatest terms down stopped: a is the greatest term
// of the level left in place, out the lowest slot still free above it.
struct MergeEnd {
    std::int64_t a;
    std::int64_t out;
};

// mergeRuns for terms of 8 to 24 entries, compared and copied in whole
// chunks. (Choosing the term written without a branch measured slower: the
// merge then waits on each comparison.)
template <std::size_t chunks>
MergeEnd mergeChunked(Entry* terms, std::int64_t count, const Entry* run, std::int64_t runCount,
                      std::size_t n) {
    std::int64_t a = count - 1;
    std::int64_t b = runCount - 1;
    std::int64_t out = count + runCount - 1;
    while (a >= 0 && b >= 0) {
        const Entry* x = terms + static_cast<std::size_t>(a) * n;
        const Entry* y = run + static_cast<std::size_t>(b) * n;
        const ChunkOrder order = orderOf(Chunked<chunks>(x, n), Chunked<chunks>(y, n));
        if (order.greater) {
            Chunked<chunks>::copy(terms + static_cast<std::size_t>(out--) * n, x, n);
            --a;
        } else if (!order.equal) {
            Chunked<chunks>::copy(terms + static_cast<std::size_t>(out--) * n, y, n);
            --b;
        } else {
            --a;
            --b;
        }
    }
    if (b >= 0) {
        // The rest of the run lies below every term of the level.
        out -= b + 1;
        std::memcpy(terms + static_cast<std::size_t>(out + 1) * n, run,
                    static_cast<std::size_t>(b + 1) * n);
    }
    MergeEnd end;
    end.a = a;
    end.out = out;
    return end;
}

// Merges run (runCount distinct terms of n entries, increasing) into terms
// (count distinct terms, increasing, with room for runCount more above),
// cancelling equal terms in pairs. From the greatest terms down, written from
// slot count + runCount - 1 down: the slot written stays above the term of
// the level read next, by the run's terms still to come and two for each
// cancelled pair. Stops when the run is used up.
MergeEnd mergeRuns(Entry* terms, std::int64_t count, const Entry* run, std::int64_t runCount,
                   int length) {
    const std::size_t n = static_cast<std::size_t>(length);
    switch (length < 8 ? 0 : (length + 7) / 8) {
    case 1:
        return mergeChunked<1>(terms, count, run, runCount, n);
    case 2:
        return mergeChunked<2>(terms, count, run, runCount, n);
    case 3:
        return mergeChunked<3>(terms, count, run, runCount, n);
    default:
        break;
    }
    std::int64_t a = count - 1;
    std::int64_t b = runCount - 1;
    std::int64_t out = count + runCount - 1;
    while (b >= 0) {
        const int order = a < 0 ? -1
                                : compareMonomials(terms + static_cast<std::size_t>(a) * n,
                                                   run + static_cast<std::size_t>(b) * n, length);
        if (order > 0) {
            copyMonomial(terms + static_cast<std::size_t>(out--) * n,
                         terms + static_cast<std::size_t>(a--) * n, length);
        } else if (order < 0) {
            copyMonomial(terms + static_cast<std::size_t>(out--) * n,
                         run + static_cast<std::size_t>(b--) * n, length);
        } else {
            --a;
            --b;
        }
    }
    MergeEnd end;
    end.a = a;
    end.out = out;
    return end;
}

} // namespace

std::int64_t RunSum::levelLimit(int level) {
    return levelTerms << (2 * level);
}

void RunSum::clear(int rowLength) {
    CURTIS_INVARIANT(rowLength > 0 && rowLength <= maxMonomialLength,
                     "a sum's terms fit a monomial");
    for (int i = 0; i < levelsInUse_; ++i) {
        levels_[static_cast<std::size_t>(i)].count = 0;
    }
    levelsInUse_ = 0;
    leadingLevel_ = -1;
    pendingCount_ = 0;
    length_ = rowLength;
}

bool RunSum::toggle(const Entry* term) {
    // The buffer is obtained on the first toggle, or again after a failure.
    if (pending_.size() == 0 && !pending_.allocate(bytesOf(pendingTerms, maxMonomialLength))) {
        return false;
    }
    // The first pending term not below term, found by bisection.
    const std::size_t length = static_cast<std::size_t>(length_);
    Entry* pending = pending_.data();
    std::size_t low = 0;
    std::size_t high = static_cast<std::size_t>(pendingCount_);
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (compareMonomials(pending + middle * length, term, length_) < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    Entry* at = pending + low * length;
    const std::size_t above = (static_cast<std::size_t>(pendingCount_) - low) * length;
    if (above > 0 && sameMonomial(at, term, length_)) {
        // The pair cancels.
        std::memmove(at, at + length, above - length);
        --pendingCount_;
        return true;
    }
    std::memmove(at + length, at, above);
    copyMonomial(at, term, length_);
    ++pendingCount_;
    return pendingCount_ < pendingTerms || settle();
}

// Merges run (runCount distinct terms, increasing) into the given level,
// cancelling equal terms in pairs.
bool RunSum::mergeInto(int level, const Entry* run, std::int64_t runCount) {
    Level& into = levels_[static_cast<std::size_t>(level)];
    const std::uint64_t needed = bytesOf(into.count + runCount, length_);
    if (into.terms.size() < needed &&
        !into.terms.resize(
            std::max({needed, 2 * into.terms.size(),
                      bytesOf(std::min(levelLimit(level), std::int64_t{1} << 16), length_)}))) {
        return false;
    }
    const MergeEnd end = mergeRuns(into.terms.data(), into.count, run, runCount, length_);
    // Terms 0 .. a stay; the gap above them is closed by moving the merged
    // terms down.
    const std::int64_t gap = end.out - end.a;
    const std::int64_t merged = into.count + runCount - 1 - end.out;
    const std::size_t length = static_cast<std::size_t>(length_);
    if (gap > 0 && merged > 0) {
        Entry* terms = into.terms.data();
        std::memmove(terms + static_cast<std::size_t>(end.a + 1) * length,
                     terms + static_cast<std::size_t>(end.out + 1) * length,
                     static_cast<std::size_t>(merged) * length);
    }
    into.count += runCount - gap;
    levelsInUse_ = std::max(levelsInUse_, level + 1);
    return true;
}

// Merges the pending terms into level 0 and carries every level that
// outgrows its limit into the next.
bool RunSum::settle() {
    // The greatest term last read is most often toggled out again first: it
    // cancels at the top of its level.
    if (leadingLevel_ >= 0 && pendingCount_ > 0 &&
        levels_[static_cast<std::size_t>(leadingLevel_)].count > 0) {
        Level& level = levels_[static_cast<std::size_t>(leadingLevel_)];
        const std::size_t length = static_cast<std::size_t>(length_);
        if (sameMonomial(level.terms.data() + static_cast<std::size_t>(level.count - 1) * length,
                         pending_.data() + static_cast<std::size_t>(pendingCount_ - 1) * length,
                         length_)) {
            --level.count;
            --pendingCount_;
        }
    }
    leadingLevel_ = -1;
    const std::int64_t runCount = pendingCount_;
    pendingCount_ = 0;
    return runCount == 0 || (mergeInto(0, pending_.data(), runCount) && carryFrom(0));
}

// Merges every level from `level` up that outgrows its limit into the next.
bool RunSum::carryFrom(int level) {
    for (int i = level; i + 1 < maxLevels; ++i) {
        Level& at = levels_[static_cast<std::size_t>(i)];
        if (at.count <= levelLimit(i)) {
            break;
        }
        if (!mergeInto(i + 1, at.terms.data(), at.count)) {
            return false;
        }
        at.count = 0;
    }
    return true;
}

bool RunSum::toggleRun(const Entry* run, std::int64_t count) {
    if (count == 0) {
        return true;
    }
    leadingLevel_ = -1; // the levels' tops may move
    int level = 0;
    while (level + 1 < maxLevels && levelLimit(level) < count) {
        ++level;
    }
    return mergeInto(level, run, count) && carryFrom(level);
}

LeadingTerm RunSum::leading() {
    LeadingTerm found;
    if (pendingCount_ > 0 && !settle()) {
        found.room = false;
        return found;
    }
    const std::size_t length = static_cast<std::size_t>(length_);
    for (;;) {
        // The greatest last term, and the levels whose last term equals it.
        const Entry* greatest = nullptr;
        std::uint32_t equal = 0;
        for (int i = 0; i < levelsInUse_; ++i) {
            const Level& level = levels_[static_cast<std::size_t>(i)];
            if (level.count == 0) {
                continue;
            }
            const Entry* last =
                level.terms.data() + static_cast<std::size_t>(level.count - 1) * length;
            const int order = greatest == nullptr ? 1 : compareMonomials(last, greatest, length_);
            if (order >= 0) {
                equal = (order > 0 ? 0 : equal) | (1u << i);
                greatest = last;
            }
        }
        if (greatest == nullptr) {
            return found;
        }
        // Equal last terms cancel in pairs; an odd one out is the greatest
        // term, kept in the level it was last found in.
        const bool odd = std::popcount(equal) % 2 == 1;
        for (int i = 0; i < levelsInUse_; ++i) {
            Level& level = levels_[static_cast<std::size_t>(i)];
            const Entry* last =
                level.count > 0
                    ? level.terms.data() + static_cast<std::size_t>(level.count - 1) * length
                    : nullptr;
            if ((equal >> i & 1u) == 0) {
                continue;
            }
            if (odd && last == greatest) {
                leadingLevel_ = i;
            } else {
                --level.count;
            }
        }
        if (odd) {
            found.term = greatest;
            return found;
        }
    }
}

SumTerms RunSum::terms() {
    SumTerms found;
    if (pendingCount_ > 0 && !settle()) {
        found.room = false;
        return found;
    }
    leadingLevel_ = -1; // the levels below the top are emptied
    int top = levelsInUse_ - 1;
    while (top >= 0 && levels_[static_cast<std::size_t>(top)].count == 0) {
        --top;
    }
    if (top < 0) {
        return found;
    }
    for (int i = 0; i < top; ++i) {
        Level& level = levels_[static_cast<std::size_t>(i)];
        if (level.count > 0) {
            if (!mergeInto(top, level.terms.data(), level.count)) {
                found.room = false;
                return found;
            }
            level.count = 0;
        }
    }
    const Level& all = levels_[static_cast<std::size_t>(top)];
    found.terms = all.terms.data();
    found.count = all.count;
    return found;
}

std::int64_t RunSum::storedTerms() const {
    std::int64_t terms = pendingCount_;
    for (int i = 0; i < levelsInUse_; ++i) {
        terms += levels_[static_cast<std::size_t>(i)].count;
    }
    return terms;
}

std::uint64_t RunSum::bytes() const {
    std::uint64_t bytes = pending_.size();
    for (const Level& level : levels_) {
        bytes += level.terms.size();
    }
    return bytes;
}

} // namespace curtis
