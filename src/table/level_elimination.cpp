#include "table/level_elimination.hpp"

#include "algebra/boundary.hpp"

#include <vector>

namespace curtis {

EliminationStatus eliminateLevel(CurtisTable& table, std::int32_t t, int L, TermSet& set,
                                 const CandidateProgress& progress) {
    std::vector<Entry> candidates;
    table.candidates(t, L, candidates);
    const int length = L + 1;
    const std::int64_t total = static_cast<std::int64_t>(candidates.size()) / length;
    LevelRecords& here = table.kept(t, L);
    LevelRecords& next = table.kept(t, L + 1);
    Entry tag[maxMonomialLength];
    if (progress && !progress(0, total)) {
        return EliminationStatus::Stopped;
    }
    for (std::int64_t c = 0; c < total; ++c) {
        const Entry* x = candidates.data() + c * length;
        if (here.find(x) != LevelRecords::none) {
            continue; // Hit by the level below: its only records so far
        }
        // The set is not emptied between rounds: the boundary of each
        // retraced tag is added to what is left.
        set.clear(L + 2);
        const Entry* current = x;
        for (;;) {
            if (!appendReducedBoundary(current, L, table.weight(), set)) {
                return EliminationStatus::TermSetFull;
            }
            if (set.rowCount() == 0) {
                here.add(x, Alive);
                break;
            }
            const Entry* leading = set.row(set.greatestRow());
            const GeneratorState state = table.leadingRecord(t, L + 1, leading, tag);
            if (state == Hit) {
                current = tag;
                continue;
            }
            if (state == Source) {
                return EliminationStatus::Contradiction;
            }
            const std::int32_t source = here.add(x, Source);
            here.set(source, Source, next.add(leading, Hit, source));
            break;
        }
        if (progress && !progress(c + 1, total)) {
            return EliminationStatus::Stopped;
        }
    }
    return EliminationStatus::Ok;
}

void settleTopLevel(CurtisTable& table, std::int32_t t) {
    const int L = t - 1;
    std::vector<Entry> candidates;
    table.candidates(t, L, candidates);
    LevelRecords& top = table.kept(t, L);
    for (std::size_t c = 0; c < candidates.size(); c += static_cast<std::size_t>(L + 1)) {
        if (top.find(candidates.data() + c) == LevelRecords::none) {
            top.add(candidates.data() + c, Alive);
        }
    }
}

} // namespace curtis
