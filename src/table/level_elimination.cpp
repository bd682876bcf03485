#include "table/level_elimination.hpp"

#include "algebra/boundary.hpp"
#include "table/retrace_guard.hpp"

#include <algorithm>
#include <vector>

namespace curtis {

namespace {

// The leading term of the elimination's sum, null when the sum is 0.
LeadingTerm leadingTerm(TermSet& set) {
    LeadingTerm found;
    if (set.rowCount() > 0) {
        found.term = set.row(set.greatestRow());
    }
    return found;
}
LeadingTerm leadingTerm(RunSum& sum) {
    return sum.leading();
}

// Starts the chain of x = λ_n λ_J (level L) where retracing λ_J's chain
// would leave it: the set holds d(λ_n) Z_J, and chain, if recording, the
// words λ_n z, z in Z_J (the kept cycle). False if a term found no room in
// the set.
template <typename Sum>
bool startFromSuffixCycle(const Entry* x, int L, const PackedWords& cycle, std::int32_t w, Sum& set,
                          PackedWords* chain) {
    const std::size_t length = static_cast<std::size_t>(L) + 1;
    Entry word[maxMonomialLength];
    word[0] = x[0];
    word[1] = x[1];
    return cycle.forEach([&](const Entry* z) {
        std::copy(z + 1, z + length - 1, word + 2);
        if (chain != nullptr) {
            chain->push(word);
        }
        return appendReducedFirstSplit(word, L, w, set);
    });
}

// Whether the chain of candidate x (level L of degree t) is recorded, to be
// kept as its cycle if it ends Alive: only a candidate whose cycle could
// serve a later one (see CycleKeeping).
bool recordsChain(std::int32_t t, int L, const Entry* x, const CycleKeeping& keeping) {
    return keeping.minWords > 0 && keeping.heldBytes != nullptr &&
           (keeping.every || (L >= 1 && t + (x[1] + 1) / 2 + 1 <= keeping.lastDegree));
}

// Keeps x's chain as the cycle of its Alive record if the chain is long
// enough and the cycles kept leave room for it.
void keepChain(LevelRecords& here, std::int32_t alive, PackedWords& chain,
               const CycleKeeping& keeping) {
    if (chain.size() < (keeping.every ? 1 : keeping.minWords)) {
        return;
    }
    chain.seal();
    const std::uint64_t bytes = chain.bytes();
    std::uint64_t held = keeping.heldBytes->load();
    do {
        if (held + bytes > keeping.maxBytes) {
            return;
        }
    } while (!keeping.heldBytes->compare_exchange_weak(held, held + bytes));
    here.keepCycle(alive, std::move(chain));
}

// Eliminates candidate x of level L of degree t, which has no record yet:
// x ends Alive (keeping its cycle when its chain is long enough) or Source,
// its leading term Hit. set, guard and chain are the elimination's own,
// reused from candidate to candidate.
template <typename Sum>
EliminationStatus eliminateCandidate(CurtisTable& table, std::int32_t t, int L, const Entry* x,
                                     Sum& set, RetraceGuard& guard, PackedWords& chain,
                                     const CycleKeeping& keeping) {
    Entry tag[maxMonomialLength];
    // The set is not emptied between rounds: the boundary of each retraced
    // tag is added to what is left.
    set.clear(L + 2);
    guard.start(L + 2);
    chain.clear(L + 1);
    bool recording = recordsChain(t, L, x, keeping);
    const Entry* current = x;
    const PackedWords* cycle = table.suffixCycle(t, L, x);
    if (cycle != nullptr &&
        !startFromSuffixCycle(x, L, *cycle, table.weight(), set, recording ? &chain : nullptr)) {
        return EliminationStatus::TermSetFull;
    }
    for (bool started = cycle != nullptr;; started = false) {
        if (!started) {
            if (recording) {
                chain.push(current);
                // A chain whose words outgrow what cycles may take is not kept.
                recording = chain.bytes() <= keeping.maxBytes - keeping.heldBytes->load();
            }
            if (!appendReducedBoundary(current, L, table.weight(), set)) {
                return EliminationStatus::TermSetFull;
            }
        }
        LevelRecords& here = table.kept(t, L);
        const LeadingTerm found = leadingTerm(set);
        if (!found.room) {
            return EliminationStatus::TermSetFull;
        }
        if (found.term == nullptr) {
            const std::int32_t alive = here.add(x, Alive);
            if (recording) {
                keepChain(here, alive, chain, keeping);
            }
            return EliminationStatus::Ok;
        }
        const Entry* leading = found.term;
        const GeneratorState state = table.leadingRecord(t, L + 1, leading, tag);
        if (!guard.admits(leading, state)) {
            return EliminationStatus::Contradiction;
        }
        if (state == Hit) {
            guard.retrace(leading);
            current = tag;
            continue;
        }
        if (state == Source) {
            return EliminationStatus::Contradiction;
        }
        const std::int32_t source = here.add(x, Source);
        here.set(source, Source, table.kept(t, L + 1).add(leading, Hit, source));
        return EliminationStatus::Ok;
    }
}

template <typename Sum>
EliminationStatus eliminateCandidates(CurtisTable& table, std::int32_t t, int L, Sum& set,
                                      const CandidateProgress& progress,
                                      const CycleKeeping& keeping) {
    std::vector<Entry> candidates;
    table.candidates(t, L, candidates);
    const int length = L + 1;
    const std::int64_t total = static_cast<std::int64_t>(candidates.size()) / length;
    const LevelRecords& here = table.kept(t, L);
    RetraceGuard guard;
    // The words whose boundaries the set holds, x first, when its cycle may
    // be kept.
    PackedWords chain;
    if (progress && !progress(0, total)) {
        return EliminationStatus::Stopped;
    }
    for (std::int64_t c = 0; c < total; ++c) {
        const Entry* x = candidates.data() + c * length;
        if (here.find(x) != LevelRecords::none) {
            continue; // Hit by the level below: its only records so far
        }
        const EliminationStatus status =
            eliminateCandidate(table, t, L, x, set, guard, chain, keeping);
        if (status != EliminationStatus::Ok) {
            return status;
        }
        if (progress && !progress(c + 1, total)) {
            return EliminationStatus::Stopped;
        }
    }
    return EliminationStatus::Ok;
}

} // namespace

EliminationStatus eliminateLevel(CurtisTable& table, std::int32_t t, int L, TermSet& set,
                                 const CandidateProgress& progress, const CycleKeeping& keeping) {
    return eliminateCandidates(table, t, L, set, progress, keeping);
}

EliminationStatus eliminateLevel(CurtisTable& table, std::int32_t t, int L, RunSum& sum,
                                 const CandidateProgress& progress, const CycleKeeping& keeping) {
    return eliminateCandidates(table, t, L, sum, progress, keeping);
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
