#pragma once

#include "algebra/term_set.hpp"
#include "table/curtis_table.hpp"

#include <cstdint>
#include <functional>

namespace curtis {

enum class EliminationStatus {
    Ok,
    // A boundary or a rewrite needed more term-set rows than the set may
    // hold or could obtain.
    TermSetFull,
    // A leading term is the source of a pairing, or a retraced tag does not
    // replay its own reduction (RetraceGuard): the table contradicts itself,
    // which the algebra rules out.
    Contradiction,
    // The caller's check of what the computation holds said stop.
    Stopped,
};

// Told, before the first candidate and after each, how many of the level's
// candidates are done and how many there are; returns false to stop the
// elimination.
using CandidateProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Pairs the E1 generators of level L of degree t (table.candidates) with
// the generators of level L + 1, whose records must be open. The candidates
// are visited in increasing order, as the elimination of every generator
// would visit them; a candidate already Hit is skipped. For each other
// candidate x the reduced boundary is formed in set; while its leading term
// is Hit, the boundary of that term's tag is added to the same set and
// reduced again. An empty set leaves x Alive (a cycle); an Alive leading term
// becomes Hit with x as its tag, and x becomes Source. A leading term that
// is Source, or one that RetraceGuard does not admit, contradicts the table;
// so the retracing ends, whatever the records read from a store say.
EliminationStatus eliminateLevel(CurtisTable& table, std::int32_t t, int L, TermSet& set,
                                 const CandidateProgress& progress = {});

// The last level of a whole degree, L = t - 1, is not eliminated: its
// candidates that are not Hit survive, and get records saying so.
void settleTopLevel(CurtisTable& table, std::int32_t t);

} // namespace curtis
