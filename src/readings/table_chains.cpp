#include "readings/table_chains.hpp"

#include "algebra/boundary.hpp"

namespace curtis {

bool addRows(const TermSet& from, TermSet& to, const Entry* floor) {
    const int length = from.rowLength();
    for (std::int32_t r = 0; r < from.rowCount(); ++r) {
        if (floor != nullptr && compareMonomials(from.row(r), floor, length) < 0) {
            continue;
        }
        if (to.toggleHashed(from.row(r), from.rowHash(r), noPair) < 0) {
            return false;
        }
    }
    return true;
}

TableChains::TableChains()
    : ready_(work_.allocate(TermSet::maxRowLimit, maxMonomialLength) &&
             cycle_.allocate(TermSet::maxRowLimit, maxMonomialLength)) {}

ChainStatus TableChains::addCycle(const CurtisTable& table, std::int32_t t, int k,
                                  const Entry* word, TermSet& set, const Entry* floor) {
    const std::int32_t record = table.kept(t, k).find(word);
    const auto key = std::tuple{&table, t, k, record};
    auto found = cycles_.find(key);
    if (found == cycles_.end()) {
        cycle_.clear(k + 1);
        const ChainStatus built = buildCycle(table, t, k, word, cycle_);
        if (built != ChainStatus::Ok) {
            return built;
        }
        if (record == LevelRecords::none) {
            // No survivor the table keeps: nothing to keep it by.
            return addRows(cycle_, set, floor) ? ChainStatus::Ok : ChainStatus::TermSetFull;
        }
        if (cycleBytes_ > cycleByteBound) {
            cycles_.clear();
            cycleBytes_ = 0;
        }
        std::vector<Entry> words;
        for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
            words.insert(words.end(), cycle_.row(r), cycle_.row(r) + k + 1);
        }
        cycleBytes_ += words.size();
        found = cycles_.emplace(key, std::move(words)).first;
    }
    const std::vector<Entry>& words = found->second;
    for (std::size_t w = 0; w < words.size(); w += static_cast<std::size_t>(k) + 1) {
        if (floor != nullptr && compareMonomials(words.data() + w, floor, k + 1) < 0) {
            continue;
        }
        if (!set.toggle(words.data() + w)) {
            return ChainStatus::TermSetFull;
        }
    }
    return ChainStatus::Ok;
}

ChainStatus TableChains::buildCycle(const CurtisTable& table, std::int32_t t, int k,
                                    const Entry* word, TermSet& set) {
    Entry current[maxMonomialLength];
    copyMonomial(current, word, k + 1);
    work_.clear(k + 2);
    guard_.start(k + 2);
    for (;;) {
        if (!set.toggle(current)) {
            return ChainStatus::TermSetFull;
        }
        if (k + 1 >= table.band().levels(t)) {
            return ChainStatus::Ok; // the last level: every word is a cycle
        }
        if (!appendReducedBoundary(current, k, table.weight(), work_)) {
            return ChainStatus::TermSetFull;
        }
        if (work_.rowCount() == 0) {
            return ChainStatus::Ok;
        }
        const Entry* leading = work_.row(work_.greatestRow());
        if (table.record(t, k + 1, leading, current) != Hit || !guard_.admits(leading, Hit)) {
            return ChainStatus::Contradiction;
        }
        guard_.retrace(leading);
    }
}

ChainStatus TableChains::addClaimingBoundary(const CurtisTable& table, std::int32_t t, int k,
                                             const Entry* tag, const Entry* claimed, TermSet& set,
                                             TermSet* chain, const Entry* floor) {
    Entry current[maxMonomialLength];
    copyMonomial(current, tag, k + 1);
    work_.clear(k + 2);
    guard_.start(k + 2);
    for (;;) {
        // Below the floor no term is ever the leading one: the claimed term
        // lies above it.
        if ((chain != nullptr && !chain->toggle(current)) ||
            !(floor != nullptr
                  ? appendReducedBoundaryAbove(current, k, table.weight(), work_, floor)
                  : appendReducedBoundary(current, k, table.weight(), work_))) {
            return ChainStatus::TermSetFull;
        }
        if (work_.rowCount() == 0) {
            return ChainStatus::Contradiction;
        }
        // The tag's own reduction, replayed: it ends on the claimed term
        // with nothing retraced pending.
        const Entry* leading = work_.row(work_.greatestRow());
        if (sameMonomial(leading, claimed, k + 2)) {
            if (!guard_.admits(leading, Alive)) {
                return ChainStatus::Contradiction;
            }
            return addRows(work_, set) ? ChainStatus::Ok : ChainStatus::TermSetFull;
        }
        if (table.record(t, k + 1, leading, current) != Hit || sameMonomial(current, tag, k + 1) ||
            !guard_.admits(leading, Hit)) {
            return ChainStatus::Contradiction;
        }
        guard_.retrace(leading);
    }
}

} // namespace curtis
