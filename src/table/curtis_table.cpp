#include "table/curtis_table.hpp"

#include "algebra/monomial.hpp"
#include "check/invariant.hpp"

#include <algorithm>

namespace curtis {

void CurtisTable::openDegree(std::int32_t t) {
    CURTIS_INVARIANT(t >= 1 && t <= maxEntryDegree, "a table's degrees lie in 1 .. maxEntryDegree");
    std::vector<LevelRecords> levels;
    const int count = band_.levels(t);
    levels.reserve(static_cast<std::size_t>(count));
    for (int L = 0; L < count; ++L) {
        levels.emplace_back(L);
    }
    degrees_[static_cast<std::size_t>(t - 1)] = std::move(levels);
    opened_ = std::max(opened_, t);
}

std::uint64_t CurtisTable::bytes() const {
    std::uint64_t total = 0;
    for (const std::vector<LevelRecords>& levels : degrees_) {
        for (const LevelRecords& level : levels) {
            total += level.bytes();
        }
    }
    return total;
}

const Entry* CurtisTable::partnerWord(std::int32_t t, int L, const LevelRecords& records,
                                      std::int32_t i) const {
    const GeneratorState state = records.state(i);
    const LevelRecords* level =
        state == Alive ? nullptr : keptOrNull(t, state == Hit ? L - 1 : L + 1);
    const std::int32_t j = records.partner(i);
    return level != nullptr && j >= 0 && j < level->size() ? level->word(j) : nullptr;
}

GeneratorState CurtisTable::keptRecord(std::int32_t t, int L, const LevelRecords* records,
                                       std::int32_t index, Entry* partner,
                                       Partners partners) const {
    if (index == LevelRecords::none) {
        return Alive;
    }
    const GeneratorState state = records->state(index);
    if (state == Alive) {
        return Alive;
    }
    if (state == Source && partners == Partners::TagsOnly) {
        return Source;
    }
    const Entry* other = partnerWord(t, L, *records, index);
    if (other == nullptr) {
        return Source; // a pairing with nothing: the table is contradicted
    }
    if (partner != nullptr) {
        copyMonomial(partner, other, state == Hit ? L : L + 2);
    }
    return state;
}

namespace {

// Writes the partner of a word decided by its suffix from entry p + 1 on:
// the word's own entries 0 .. p, then the lambda indices of the suffix's
// partner (`entries` entries, its cell entry left out).
void joinPartner(Entry* partner, const Entry* word, int p, const Entry* suffixPartner,
                 int entries) {
    copyMonomial(partner, word, p + 1);
    partner[0] = 0;
    std::copy(suffixPartner + 1, suffixPartner + 1 + entries, partner + p + 1);
}

// The first lambda index of a word of level L, or -1 for the unit.
int firstIndex(const Entry* word, int L) {
    return L >= 1 ? word[1] : -1;
}

} // namespace

GeneratorState SphereTable::lookup(std::int32_t t, int L, const Entry* word, Entry* partner,
                                   Partners partners) const {
    // The suffix decided so far: (0, i_(p+1), ..., i_L), of level `level`
    // and degree `degree`, its record `index` in `records` (none: no record,
    // Alive). The shortest, the unit, survives.
    const LevelRecords* records = nullptr;
    std::int32_t index = LevelRecords::none;
    int level = 0;
    std::int32_t degree = 1;
    std::uint64_t fold = 0;
    int sum = 0;
    for (int p = L; p >= 1; --p) {
        const int n = word[p];
        if (index != LevelRecords::none) {
            // A Source suffix decides the word by its state: its target, on
            // level `level` + 1 of the lower degree, is read only when asked
            // for (never while that level may still be growing).
            const GeneratorState state = records->state(index);
            if (state == Source) {
                const Entry* target = partner != nullptr && partners == Partners::All
                                          ? partnerWord(degree, level, *records, index)
                                          : nullptr;
                if (target != nullptr) {
                    joinPartner(partner, word, p, target, level + 1);
                }
                return Source;
            }
            if (state == Hit) {
                const Entry* tag = partnerWord(degree, level, *records, index);
                if (tag == nullptr) {
                    return Source; // a tag missing: the table is contradicted
                }
                if (firstIndex(tag, level - 1) <= 2 * n) {
                    if (partner != nullptr) {
                        joinPartner(partner, word, p, tag, level - 1);
                    }
                    return Hit;
                }
            }
        }
        // The suffix from p is an E1 generator: its own record, if any.
        fold = foldLambda(fold, static_cast<Entry>(n));
        sum += n;
        level = L - p + 1;
        degree = sum + level + 1;
        records = keptOrNull(degree, level);
        index = records != nullptr ? records->findLambdas(word + p, wordKey(0, fold))
                                   : LevelRecords::none;
    }
    if (L == 0) {
        records = keptOrNull(t, 0);
        index = records != nullptr ? records->find(word) : LevelRecords::none;
    }
    CURTIS_INVARIANT(L == 0 || degree == t,
                     "a word of a positive level is looked up in its own degree");
    return keptRecord(t, L, records, index, partner, partners);
}

const PackedWords* SphereTable::suffixCycle(std::int32_t t, int L, const Entry* x) const {
    if (L < 2) {
        return nullptr;
    }
    const std::int32_t degree = t - x[1] - 1;
    const LevelRecords* records = keptOrNull(degree, L - 1);
    if (records == nullptr) {
        return nullptr;
    }
    Entry suffix[maxMonomialLength];
    suffix[0] = 0;
    std::copy(x + 2, x + L + 1, suffix + 1);
    const std::int32_t i = records->find(suffix);
    return i != LevelRecords::none && records->state(i) == Alive ? records->cycle(i) : nullptr;
}

void SphereTable::candidates(std::int32_t t, int L, std::vector<Entry>& out) const {
    if (L == 0) {
        if (t == 1) {
            out.push_back(0);
        }
        return;
    }
    for (int n = 0; n <= t - 2; ++n) {
        const std::int32_t below = t - n - 1;
        if (L - 1 >= band().finalLevels(below) || !hasLevel(below, L - 1)) {
            continue;
        }
        const LevelRecords& survivors = kept(below, L - 1);
        const LevelRecords* tags = L >= 2 ? &kept(below, L - 2) : nullptr;
        for (const std::int32_t j : survivors.increasing()) {
            const Entry* suffix = survivors.word(j);
            if (firstIndex(suffix, L - 1) > 2 * n) {
                continue;
            }
            const GeneratorState state = survivors.state(j);
            // Survives in Lambda(2n + 1): Alive, or Hit from beyond it.
            if (state == Source ||
                (state == Hit && firstIndex(tags->word(survivors.partner(j)), L - 2) <= 2 * n)) {
                continue;
            }
            out.push_back(0);
            out.push_back(static_cast<Entry>(n));
            out.insert(out.end(), suffix + 1, suffix + L);
        }
    }
}

GeneratorState SpaceTable::lookup(std::int32_t t, int L, const Entry* word, Entry* partner,
                                  Partners partners) const {
    const int cell = word[0];
    const GeneratorState onCell = partners == Partners::All
                                      ? sphere_.record(t - cell, L, word, partner)
                                      : sphere_.leadingRecord(t - cell, L, word, partner);
    if (onCell != Alive) {
        if (partner != nullptr) {
            partner[0] = static_cast<Entry>(cell);
        }
        return onCell;
    }
    const LevelRecords* records = keptOrNull(t, L);
    const std::int32_t index = records != nullptr ? records->find(word) : LevelRecords::none;
    return keptRecord(t, L, records, index, partner, partners);
}

void SpaceTable::candidates(std::int32_t t, int L, std::vector<Entry>& out) const {
    const int lastCell = static_cast<int>(std::min<std::int64_t>(topCell_, t - 1 - L));
    for (int c = 0; c <= lastCell; ++c) {
        const std::int32_t degree = t - c;
        if (!sphere_.hasLevel(degree, L) || L >= sphere_.band().finalLevels(degree)) {
            continue;
        }
        const LevelRecords& survivors = sphere_.kept(degree, L);
        for (const std::int32_t j : survivors.increasing()) {
            if (survivors.state(j) == Alive) {
                const Entry* lambdas = survivors.word(j);
                out.push_back(static_cast<Entry>(c));
                out.insert(out.end(), lambdas + 1, lambdas + L + 1);
            }
        }
    }
}

} // namespace curtis
