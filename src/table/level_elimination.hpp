#pragma once

#include "algebra/run_sum.hpp"
#include "algebra/term_set.hpp"
#include "table/curtis_table.hpp"

#include <atomic>
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

// Which survivors of the sphere keep the cycle of their chain, from which
// later chains start (see eliminateLevel). The tables are the same whatever
// is kept.
struct CycleKeeping {
    // Chains of fewer words keep none; 0 keeps none at all.
    std::int64_t minWords = 0;
    // The last degree eliminated: the cycle of λ_J, of degree t and first
    // index j, serves only the candidates λ_n λ_J with 2n >= j, of degree
    // t + n + 1, so one that would serve none is not kept.
    std::int32_t lastDegree = 0;
    // The bytes every kept cycle takes, shared by the eliminations that run
    // side by side, and the most they may take: a chain whose words would
    // take more is not kept.
    std::atomic<std::uint64_t>* heldBytes = nullptr;
    std::uint64_t maxBytes = 0;
    // Every survivor's chain is kept, whatever its length and degree, for
    // the readings of the tables, which read survivors' cycles (within
    // maxBytes still).
    bool every = false;
};

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
//
// Chains that repeat their suffix's. x's chain is the words whose
// boundaries the set holds: x, then each retraced tag. An x that ends Alive
// after a chain of at least keeping.minWords words may keep it as its
// cycle Z_x, whose sum has boundary 0 (kept packed, as PackedWords). A candidate x = λ_n λ_J of the
// sphere whose λ_J kept its cycle Z_J (so λ_J is Alive) starts from the set
// d(λ_n) Z_J, with chain λ_n Z_J, and goes on as below; the tables are those
// the retrace gives, because that is where the retrace of x arrives:
//  - Words are ordered by first index first, and Lambda(m) (first index
//    below m) is a subcomplex. The set of λ_J's elimination always lies in
//    Lambda(j + 1), j the first index of λ_J, and so does every tag it
//    retraced: a tag is either an E1 generator eliminated before λ_J,
//    hence not greater, or read off a suffix, with the first index of its
//    leading term. So Z_J lies in Lambda(j + 1), within Lambda(2n + 1), as
//    j <= 2n for the candidate λ_n λ_J.
//  - Lambda(n + 1) / Lambda(n) is Lambda(2n + 1) moved up: for z in
//    Lambda(2n + 1), d(λ_n z) = λ_n d(z) + d(λ_n) z with d(λ_n) z in
//    Lambda(n), below every word of first index n.
//  - After i rounds of λ_J's chain (set S_i, tags τ_1 .. τ_i), x's set is
//    λ_n S_i + d(λ_n)(λ_J + τ_1 + ... + τ_i). While S_i is not empty, the
//    leading term is λ_n y, y the leading term of S_i; λ_J's chain read y
//    as Hit with a tag τ of first index at most j <= 2n, and records are
//    final once set, so the lookup reads λ_n y as Hit with tag λ_n τ, the
//    next round of the same chain.
//  - λ_J Alive means S_m = 0 after its last round m: x's set is then
//    d(λ_n) Z_J, with Z_J = λ_J + τ_1 + ... + τ_m.
// A λ_J Hit, even from above 2n, has no chain to reuse: its elimination
// ended on a leading term, not on an empty set. Only the sphere's tables
// keep cycles; a space's candidates start from their own boundary.
EliminationStatus eliminateLevel(CurtisTable& table, std::int32_t t, int L, TermSet& set,
                                 const CandidateProgress& progress = {},
                                 const CycleKeeping& keeping = {});

// eliminateLevel with the sum kept in sorted runs rather than an indexed
// set: the same records, in less time and memory for long chains, though
// the sum has no limit on its terms but memory.
EliminationStatus eliminateLevel(CurtisTable& table, std::int32_t t, int L, RunSum& sum,
                                 const CandidateProgress& progress = {},
                                 const CycleKeeping& keeping = {});

// The last level of a whole degree, L = t - 1, is not eliminated: its
// candidates that are not Hit survive, and get records saying so.
void settleTopLevel(CurtisTable& table, std::int32_t t);

} // namespace curtis
