#include "oracle/positions.hpp"

#include <algorithm>

namespace curtis::oracle {

namespace {

// The largest value entry `from` of a word may take: anything up to the sum
// for the first lambda index, at most twice its predecessor after it.
int boundAt(const Entry* word, int from, int sum) {
    return from == 1 ? sum : std::min(2 * static_cast<int>(word[from - 1]), sum);
}

} // namespace

std::int64_t BasisPositions::positionOf(int L, const Entry* word) const {
    const int top = degree() - 1 - L;
    int sum = top - word[0]; // what the lambda indices must add up to
    if (sum < 0 || word[0] > counts_.topCell()) {
        return notAGenerator;
    }
    std::int64_t position = counts_.wordsAboveCell(L, word[0]);
    for (int j = 1; j < L; ++j) {
        const int value = word[j];
        const int bound = boundAt(word, j, sum);
        if (value > bound) {
            return notAGenerator;
        }
        // The words that agree before entry j and are greater at it.
        const int r = L - j + 1;
        position += counts_.tailsFrom(r, sum, value + 1) - counts_.tailsFrom(r, sum, bound + 1);
        sum -= value;
    }
    // The last entry takes what is left.
    if (L >= 1 && (word[L] != sum || (L >= 2 && sum > 2 * word[L - 1]))) {
        return notAGenerator;
    }
    if (L == 0 && sum != 0) {
        return notAGenerator;
    }
    return position;
}

void BasisPositions::wordAt(int L, std::int64_t position, Entry* word) const {
    const int top = degree() - 1 - L;
    const int cell = cellAt(L, position);
    word[0] = static_cast<Entry>(cell);
    position -= counts_.wordsAboveCell(L, cell);
    int sum = top - cell;
    for (int j = 1; j < L; ++j) {
        // Values from the bound down, each owning the completions after it.
        int value = boundAt(word, j, sum);
        for (;; --value) {
            const std::int64_t words = counts_.completions(L - j, value, sum - value);
            if (position < words) {
                break;
            }
            position -= words;
        }
        word[j] = static_cast<Entry>(value);
        sum -= value;
    }
    if (L >= 1) {
        word[L] = static_cast<Entry>(sum);
    }
}

int BasisPositions::cellAt(int L, std::int64_t position) const {
    // The low cells hold most words: the first cell from the bottom whose
    // words start at or before the position.
    int cell = 0;
    while (counts_.wordsAboveCell(L, cell) > position) {
        ++cell;
    }
    return cell;
}

int BasisPositions::firstIndexAt(int L, std::int64_t position) const {
    const int cell = cellAt(L, position);
    const std::int64_t offset = position - counts_.wordsAboveCell(L, cell);
    const int sum = degree() - 1 - L - cell;
    // The largest v with at least offset + 1 words whose first index is v or
    // more: tailsFrom falls as v grows.
    int low = 0;
    int high = sum;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (counts_.tailsFrom(L, sum, middle) > offset) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

void BasisPositions::fillSmallest(int L, Entry* word, int from, int sum) const {
    for (int i = from; i < L; ++i) {
        const int bound = boundAt(word, i, sum);
        // The entries after a value v add up to at most 2v + 4v + ... : start
        // at the first value whose rest can still be reached.
        const int after = L - i;
        const std::int64_t reach = after >= 31 ? INT64_MAX : (std::int64_t{1} << (after + 1)) - 1;
        int value = sum == 0 ? 0 : static_cast<int>((sum - 1) / reach + 1);
        while (value < bound && counts_.completions(after, value, sum - value) == 0) {
            ++value;
        }
        word[i] = static_cast<Entry>(value);
        sum -= value;
    }
    word[L] = static_cast<Entry>(sum);
}

void BasisPositions::fillLargest(int L, Entry* word, int from, int sum) const {
    // Taking the largest value at each entry leaves the smallest rest and the
    // most room for it, so it always completes.
    for (int i = from; i < L; ++i) {
        const int value = boundAt(word, i, sum);
        word[i] = static_cast<Entry>(value);
        sum -= value;
    }
    word[L] = static_cast<Entry>(sum);
}

bool BasisPositions::stepUp(int L, Entry* word) const {
    if (L == 0) {
        return false;
    }
    // The last entry that can grow, keeping the entries before it, and the
    // smallest completion after it.
    int sum = word[L];
    for (int j = L - 1; j >= 1; --j) {
        sum += word[j];
        const int bound = boundAt(word, j, sum);
        for (int value = word[j] + 1; value <= bound; ++value) {
            if (counts_.completions(L - j, value, sum - value) > 0) {
                word[j] = static_cast<Entry>(value);
                fillSmallest(L, word, j + 1, sum - value);
                return true;
            }
        }
    }
    if (sum == 0 || word[0] >= counts_.topCell()) {
        return false; // the highest cell, and nothing above it can grow
    }
    ++word[0];
    fillSmallest(L, word, 1, sum - 1);
    return true;
}

bool BasisPositions::stepDown(int L, Entry* word) const {
    if (L == 0) {
        return false;
    }
    // The last entry that can shrink: the values an entry can take form an
    // interval, so one less works whenever anything smaller does.
    int sum = word[L];
    for (int j = L - 1; j >= 1; --j) {
        sum += word[j];
        const int value = word[j] - 1;
        if (value >= 0 && counts_.completions(L - j, value, sum - value) > 0) {
            word[j] = static_cast<Entry>(value);
            fillLargest(L, word, j + 1, sum - value);
            return true;
        }
    }
    if (word[0] == 0) {
        return false; // the bottom cell with the smallest lambda indices
    }
    --word[0];
    fillLargest(L, word, 1, sum + 1);
    return true;
}

} // namespace curtis::oracle
