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
    pendingCount_ = 0;
    length_ = rowLength;
}

bool RunSum::toggle(const Entry* term) {
    // Both buffers are obtained on the first toggle, or again after a
    // failure.
    if (run_.size() == 0 && (!pending_.allocate(bytesOf(pendingTerms, maxMonomialLength)) ||
                             !run_.allocate(bytesOf(pendingTerms, maxMonomialLength)))) {
        return false;
    }
    copyMonomial(pending_.data() + bytesOf(pendingCount_, length_), term, length_);
    ++pendingCount_;
    return pendingCount_ < pendingTerms || settle();
}

// Merges run (runCount distinct terms, increasing) into the given level,
// cancelling equal terms in pairs.
bool RunSum::mergeInto(int level, const Entry* run, std::int64_t runCount) {
    Level& into = levels_[static_cast<std::size_t>(level)];
    const std::size_t length = static_cast<std::size_t>(length_);
    const std::uint64_t needed = bytesOf(into.count + runCount, length_);
    if (into.terms.size() < needed &&
        !into.terms.resize(
            std::max({needed, 2 * into.terms.size(),
                      bytesOf(std::min(levelLimit(level), std::int64_t{1} << 16), length_)}))) {
        return false;
    }
    Entry* terms = into.terms.data();
    // From the greatest terms down, written from slot count + runCount - 1
    // down: the slot written stays above the term of the level read next,
    // by the run's terms still to come and two for each cancelled pair.
    std::int64_t a = into.count - 1;
    std::int64_t b = runCount - 1;
    std::int64_t out = into.count + runCount - 1;
    while (b >= 0) {
        const int order =
            a < 0 ? -1
                  : compareMonomials(terms + static_cast<std::size_t>(a) * length,
                                     run + static_cast<std::size_t>(b) * length, length_);
        if (order > 0) {
            copyMonomial(terms + static_cast<std::size_t>(out--) * length,
                         terms + static_cast<std::size_t>(a--) * length, length_);
        } else if (order < 0) {
            copyMonomial(terms + static_cast<std::size_t>(out--) * length,
                         run + static_cast<std::size_t>(b--) * length, length_);
        } else {
            --a;
            --b;
        }
    }
    // Terms 0 .. a stay; the gap above them is closed by moving the merged
    // terms down.
    const std::int64_t gap = out - a;
    const std::int64_t merged = into.count + runCount - 1 - out;
    if (gap > 0 && merged > 0) {
        std::memmove(terms + static_cast<std::size_t>(a + 1) * length,
                     terms + static_cast<std::size_t>(out + 1) * length,
                     static_cast<std::size_t>(merged) * length);
    }
    into.count += runCount - gap;
    levelsInUse_ = std::max(levelsInUse_, level + 1);
    return true;
}

// Sorts the pending terms into a run, cancelling equal ones in pairs, merges
// it into level 0 and carries every level that outgrows its limit into the
// next.
bool RunSum::settle() {
    const std::size_t length = static_cast<std::size_t>(length_);
    const Entry* pending = pending_.data();
    for (int i = 0; i < pendingCount_; ++i) {
        order_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i);
    }
    std::uint16_t* order = order_.data();
    std::sort(order, order + pendingCount_, [&](std::uint16_t x, std::uint16_t y) {
        return compareMonomials(pending + x * length, pending + y * length, length_) < 0;
    });
    std::int64_t runCount = 0;
    for (int i = 0; i < pendingCount_;) {
        const Entry* term = pending + order[i] * length;
        int j = i + 1;
        while (j < pendingCount_ && sameMonomial(pending + order[j] * length, term, length_)) {
            ++j;
        }
        if ((j - i) % 2 == 1) {
            copyMonomial(run_.data() + static_cast<std::size_t>(runCount++) * length, term,
                         length_);
        }
        i = j;
    }
    pendingCount_ = 0;
    if (runCount > 0 && !mergeInto(0, run_.data(), runCount)) {
        return false;
    }
    for (int i = 0; i + 1 < maxLevels; ++i) {
        Level& level = levels_[static_cast<std::size_t>(i)];
        if (level.count <= levelLimit(i)) {
            break;
        }
        if (!mergeInto(i + 1, level.terms.data(), level.count)) {
            return false;
        }
        level.count = 0;
    }
    return true;
}

bool RunSum::toggleRun(const Entry* run, std::int64_t count) {
    if (count == 0) {
        return true;
    }
    int level = 0;
    while (level + 1 < maxLevels && levelLimit(level) < count) {
        ++level;
    }
    if (!mergeInto(level, run, count)) {
        return false;
    }
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
            if ((equal >> i & 1u) != 0 && !(odd && last == greatest)) {
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
    std::uint64_t bytes = pending_.size() + run_.size();
    for (const Level& level : levels_) {
        bytes += level.terms.size();
    }
    return bytes;
}

} // namespace curtis
