#include "readings/class_reader.hpp"

#include "check/invariant.hpp"

namespace curtis {

ClassReader::Level& ClassReader::level(const CurtisTable& table, std::int32_t t, int k, int sphere,
                                       const Survivors& survivors) {
    const auto key = std::tuple{&table, t, k, sphere};
    const auto found = levels_.find(key);
    if (found != levels_.end()) {
        return found->second;
    }
    Level opened;
    opened.survivors = survivors();
    const LevelRecords& records = table.kept(t, k);
    const std::size_t length = static_cast<std::size_t>(k) + 1;
    for (const std::int32_t survivor : opened.survivors) {
        const Entry* w = records.word(survivor);
        CURTIS_INVARIANT(
            opened.words.empty() ||
                compareMonomials(opened.words.data() + opened.words.size() - length, w, k + 1) > 0,
            "a level's survivors come in decreasing order");
        opened.words.insert(opened.words.end(), w, w + length);
    }
    return levels_.emplace(key, std::move(opened)).first->second;
}

const Entry* ClassReader::least(const CurtisTable& table, std::int32_t t, int k, int sphere,
                                const Survivors& survivors) {
    const Level& read = level(table, t, k, sphere, survivors);
    return read.words.empty()
               ? nullptr
               : read.words.data() + read.words.size() - static_cast<std::size_t>(k) - 1;
}

ChainStatus ClassReader::read(TableChains& chains, const CurtisTable& table, std::int32_t t, int k,
                              int sphere, const Survivors& survivors, const TermSet& cycle,
                              std::vector<std::int32_t>& out) {
    out.clear();
    Level& read = level(table, t, k, sphere, survivors);
    if (read.survivors.empty()) {
        // Nothing to meet; still, a cycle's leading term survives or is Hit.
        const bool leads = cycle.rowCount() == 0 ||
                           table.record(t, k, cycle.row(cycle.greatestRow()), nullptr) != Source;
        return leads ? ChainStatus::Ok : ChainStatus::Contradiction;
    }
    if (sum_.rowLimit() == 0 && !sum_.allocate(TermSet::maxRowLimit, maxMonomialLength)) {
        return ChainStatus::TermSetFull;
    }
    const std::size_t length = static_cast<std::size_t>(k) + 1;
    const Entry* least = read.words.data() + read.words.size() - length;
    sum_.clear(k + 1);
    if (!addRows(cycle, sum_, least)) {
        return ChainStatus::TermSetFull;
    }
    std::vector<bool> met(read.survivors.size(), false);
    Entry leading[maxMonomialLength];
    Entry tag[maxMonomialLength];
    while (sum_.rowCount() > 0) {
        copyMonomial(leading, sum_.row(sum_.greatestRow()), k + 1);
        const GeneratorState state = table.record(t, k, leading, tag);
        if (state == Source) {
            return ChainStatus::Contradiction;
        }
        std::size_t j = 0;
        while (j < read.survivors.size() &&
               !sameMonomial(read.words.data() + j * length, leading, k + 1)) {
            ++j;
        }
        if (j < met.size()) {
            met[j] = true; // leading terms only go down: each is met once
        } else if (state == Alive) {
            return ChainStatus::Contradiction; // a survivor the level does not list
        }
        const ChainStatus added =
            state == Alive
                ? chains.addCycle(table, t, k, leading, sum_, least)
                : chains.addClaimingBoundary(table, t, k - 1, tag, leading, sum_, nullptr, least);
        if (added != ChainStatus::Ok) {
            return added;
        }
    }
    for (std::size_t s = 0; s < met.size(); ++s) {
        if (met[s]) {
            out.push_back(read.survivors[s]);
        }
    }
    return ChainStatus::Ok;
}

} // namespace curtis
