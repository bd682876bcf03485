#pragma once

#include "algebra/term_set.hpp"
#include "elimination/level_elimination.hpp"

#include <cstdint>
#include <span>

namespace curtis {

// eliminateLevel on several threads, with exactly its result.
//
// Forming, reducing and looking up the leading term of one generator's
// boundary depends on nothing that the other generators of the level change;
// only claiming the leading term does, and it must happen in the order of
// eliminateLevel. So the threads take chunks of consecutive generators (from
// the last record on) and eliminate each as far as they can: its reduced
// boundary, and while its leading term is already Hit (a Hit mark is final)
// the boundary of that term's tag, up to a leading term that is still Alive;
// the calling thread commits the chunks in order: a generator whose leading
// term is still Alive takes it; one whose leading term was taken in the
// meantime is eliminated again from the start, retracing tags exactly as
// eliminateLevel does. A failure is
// the one the first failing generator in that order meets.
//
// One thread runs per term set: the calling thread with sets[0], which it
// uses both for the commits and, while the next chunk to commit is not
// ready, for chunks of its own; a new thread with each further set.
// progress, if set, is told from the calling thread after every chunk.
EliminationStatus eliminateLevelInParallel(const LevelTable& current, const LevelTable& next,
                                           std::int32_t w, std::span<TermSet> sets,
                                           const LevelProgress& progress = {});

} // namespace curtis
