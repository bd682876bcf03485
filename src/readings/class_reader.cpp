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
    const std::size_t length = static_cast<std::size_t>(k) + 1;
    const Entry* least = read.words.data() + read.words.size() - length;
    sum_.clear(k + 1);
    if (!addRows(cycle, sum_, least)) {
        return ChainStatus::TermSetFull;
    }
    std::vector<bool> met(read.survivors.size(), false);
    Entry leading[maxMonomialLength];
    Entry tag[maxMonomialLength];
    std::size_t next = 0; // the first survivor not above the leading terms read
    for (;;) {
        const LeadingTerm found = sum_.leading();
        if (!found.room) {
            return ChainStatus::TermSetFull;
        }
        if (found.term == nullptr) {
            break;
        }
        copyMonomial(leading, found.term, k + 1);
        const GeneratorState state = table.record(t, k, leading, tag);
        if (state == Source) {
            return ChainStatus::Contradiction;
        }
        // Leading terms only go down, as the survivors' words do: the
        // survivors above this one are passed for good.
        while (next < met.size() &&
               compareMonomials(read.words.data() + next * length, leading, k + 1) > 0) {
            ++next;
        }
        if (next < met.size() && sameMonomial(read.words.data() + next * length, leading, k + 1)) {
            met[next] = true;
        } else if (state == Alive) {
            return ChainStatus::Contradiction; // a survivor the level does not list
        }
        const ChainStatus added =
            state == Alive ? chains.addCycle(table, t, k, leading, sum_, least)
                           : chains.addClaimingBoundary(table, t, k - 1, tag, leading, sum_, least);
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
