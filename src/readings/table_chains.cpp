#include "readings/table_chains.hpp"

#include "algebra/boundary.hpp"

#include <algorithm>

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

bool addRows(const TermSet& from, RunSum& to, const Entry* floor) {
    const int length = from.rowLength();
    for (std::int32_t r = 0; r < from.rowCount(); ++r) {
        if ((floor == nullptr || compareMonomials(from.row(r), floor, length) >= 0) &&
            !to.toggle(from.row(r))) {
            return false;
        }
    }
    return true;
}

namespace {

// Adds the terms of a run (count distinct terms of `length` entries,
// increasing), those at or above floor where there is one; false when the
// set or sum cannot hold them.
bool addRun(const Entry* run, std::int64_t count, int length, const Entry* floor, TermSet& to) {
    const std::size_t step = static_cast<std::size_t>(length);
    for (std::int64_t i = count - 1; i >= 0; --i) {
        const Entry* term = run + static_cast<std::size_t>(i) * step;
        if (floor != nullptr && compareMonomials(term, floor, length) < 0) {
            break;
        }
        if (!to.toggle(term)) {
            return false;
        }
    }
    return true;
}

bool addRun(const Entry* run, std::int64_t count, int length, const Entry* floor, RunSum& to) {
    const std::size_t step = static_cast<std::size_t>(length);
    std::int64_t first = 0; // the first term at or above the floor
    if (floor != nullptr) {
        std::int64_t above = count;
        while (first < above) {
            const std::int64_t middle = first + (above - first) / 2;
            if (compareMonomials(run + static_cast<std::size_t>(middle) * step, floor, length) <
                0) {
                first = middle + 1;
            } else {
                above = middle;
            }
        }
    }
    return to.toggleRun(run + static_cast<std::size_t>(first) * step, count - first);
}

} // namespace

SurvivorCycles::Words SurvivorCycles::find(const Key& key) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = cycles_.find(key);
    return found != cycles_.end() ? found->second : nullptr;
}

SurvivorCycles::Words SurvivorCycles::keep(const Key& key, std::vector<Entry> words) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (const auto found = cycles_.find(key); found != cycles_.end()) {
        return found->second;
    }
    if (bytes_ > byteBound) {
        cycles_.clear();
        bytes_ = 0;
    }
    bytes_ += words.size();
    return cycles_.emplace(key, std::make_shared<const std::vector<Entry>>(std::move(words)))
        .first->second;
}

TableChains::TableChains(std::shared_ptr<SurvivorCycles> cycles)
    : cycles_(cycles ? std::move(cycles) : std::make_shared<SurvivorCycles>()),
      ready_(cycle_.allocate(TermSet::maxRowLimit, maxMonomialLength)) {}

template <typename Sum>
ChainStatus TableChains::addCycleTo(const CurtisTable& table, std::int32_t t, int k,
                                    const Entry* word, Sum& set, const Entry* floor) {
    const std::int32_t record = table.kept(t, k).find(word);
    const SurvivorCycles::Key key{&table, t, k, record};
    SurvivorCycles::Words words = record != LevelRecords::none ? cycles_->find(key) : nullptr;
    if (!words) {
        cycle_.clear(k + 1);
        // The chain the elimination kept adds up to the cycle; else it is
        // retraced.
        const PackedWords* kept =
            record != LevelRecords::none ? table.kept(t, k).cycle(record) : nullptr;
        const ChainStatus built = kept == nullptr ? buildCycle(table, t, k, word, cycle_)
                                  : kept->forEach([&](const Entry* w) { return cycle_.toggle(w); })
                                      ? ChainStatus::Ok
                                      : ChainStatus::TermSetFull;
        if (built != ChainStatus::Ok) {
            return built;
        }
        if (record == LevelRecords::none) {
            // No survivor the table keeps: nothing to keep it by.
            return addRows(cycle_, set, floor) ? ChainStatus::Ok : ChainStatus::TermSetFull;
        }
        std::vector<const Entry*> rows;
        for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
            rows.push_back(cycle_.row(r));
        }
        std::sort(rows.begin(), rows.end(), [k](const Entry* a, const Entry* b) {
            return compareMonomials(a, b, k + 1) < 0;
        });
        std::vector<Entry> sorted;
        for (const Entry* row : rows) {
            sorted.insert(sorted.end(), row, row + k + 1);
        }
        words = cycles_->keep(key, std::move(sorted));
    }
    const std::int64_t count = static_cast<std::int64_t>(words->size()) / (k + 1);
    return addRun(words->data(), count, k + 1, floor, set) ? ChainStatus::Ok
                                                           : ChainStatus::TermSetFull;
}

ChainStatus TableChains::addCycle(const CurtisTable& table, std::int32_t t, int k,
                                  const Entry* word, TermSet& set, const Entry* floor) {
    return addCycleTo(table, t, k, word, set, floor);
}

ChainStatus TableChains::addCycle(const CurtisTable& table, std::int32_t t, int k,
                                  const Entry* word, RunSum& sum, const Entry* floor) {
    return addCycleTo(table, t, k, word, sum, floor);
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
        const LeadingTerm found = work_.leading();
        if (!found.room) {
            return ChainStatus::TermSetFull;
        }
        if (found.term == nullptr) {
            return ChainStatus::Ok;
        }
        const Entry* leading = found.term;
        if (table.record(t, k + 1, leading, current) != Hit || !guard_.admits(leading, Hit)) {
            return ChainStatus::Contradiction;
        }
        guard_.retrace(leading);
    }
}

ChainStatus TableChains::replayClaim(const CurtisTable& table, std::int32_t t, int k,
                                     const Entry* tag, const Entry* claimed, TermSet* chain,
                                     const Entry* floor) {
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
        const LeadingTerm found = work_.leading();
        if (!found.room) {
            return ChainStatus::TermSetFull;
        }
        if (found.term == nullptr) {
            return ChainStatus::Contradiction;
        }
        // The tag's own reduction, replayed: it ends on the claimed term
        // with nothing retraced pending.
        const Entry* leading = found.term;
        if (sameMonomial(leading, claimed, k + 2)) {
            return guard_.admits(leading, Alive) ? ChainStatus::Ok : ChainStatus::Contradiction;
        }
        if (table.record(t, k + 1, leading, current) != Hit || sameMonomial(current, tag, k + 1) ||
            !guard_.admits(leading, Hit)) {
            return ChainStatus::Contradiction;
        }
        guard_.retrace(leading);
    }
}

template <typename Sum> ChainStatus TableChains::addWork(Sum& sum) {
    const SumTerms boundary = work_.terms();
    return boundary.room && addRun(boundary.terms, boundary.count, work_.rowLength(), nullptr, sum)
               ? ChainStatus::Ok
               : ChainStatus::TermSetFull;
}

ChainStatus TableChains::addClaimingBoundary(const CurtisTable& table, std::int32_t t, int k,
                                             const Entry* tag, const Entry* claimed, TermSet& set,
                                             TermSet* chain, const Entry* floor) {
    const ChainStatus replayed = replayClaim(table, t, k, tag, claimed, chain, floor);
    return replayed == ChainStatus::Ok ? addWork(set) : replayed;
}

ChainStatus TableChains::addClaimingBoundary(const CurtisTable& table, std::int32_t t, int k,
                                             const Entry* tag, const Entry* claimed, RunSum& sum,
                                             const Entry* floor) {
    const ChainStatus replayed = replayClaim(table, t, k, tag, claimed, nullptr, floor);
    return replayed == ChainStatus::Ok ? addWork(sum) : replayed;
}

} // namespace curtis
