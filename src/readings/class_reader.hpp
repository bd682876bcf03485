#pragma once

#include "readings/table_chains.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

namespace curtis {

// The class of a cycle, read off the table of its level.
//
// The words of level k of degree t of a table have a triangular basis, one
// element b(w) for each word w, with leading term w: the cycle of w if w
// survives, the boundary that claims w if w is Hit (see TableChains), w
// itself if w is a Source. The survivors' cycles and the claiming
// boundaries span the cycles (as many of them as the cycles' dimension), so
// a cycle is a sum of them alone, found by taking its leading term w and
// adding b(w) until nothing is left; the survivors met are its class.
//
// Every term of b(w) lies at or below w, so once the leading term lies
// below the level's least survivor no survivor can be met any more: the
// words below it do not change the class. A reading therefore keeps only the
// words at or above the least survivor, of the cycle and of every b(w) it
// adds, and stops when none is left. (The coordinate functionals dual to
// the survivors' cycles are cocycles that vanish below the least survivor.)
//
// Nothing of b(w) is kept between readings: the leading terms a level's
// readings meet are nearly all distinct (89 to 98 % on the sphere's names
// and products), so keeping the coordinates of each word reached, with
// every term of its b(w), rebuilt 1.4 to 2.6 times as many boundaries as
// the readings do, with 2.5 to 4 times the memory.
//
// In Λ(N) (the sphere's words of first index below N, a subcomplex closed
// under going down) the same basis serves, with the classes of S^N as its
// survivors: the survivors in Λ(N), and the words of Λ(N) Hit by a tag born
// above S^N.
//
// Invariant: each level read keeps its survivors, in the order it was first
// read with, their words beside them, the least last; a level is found by
// its table, t, k and N. The reader owns every set it reads in.
class ClassReader {
public:
    // The survivors of a level (records of its kept records, decreasing
    // words), asked for when the level is first read.
    using Survivors = std::function<std::vector<std::int32_t>()>;

    // The least survivor of level k of degree t of table in Λ(sphere)
    // (k + 1 entries), null where there is none: the words below it do not
    // change the class a reading finds.
    const Entry* least(const CurtisTable& table, std::int32_t t, int k, int sphere,
                       const Survivors& survivors);

    // The records of the survivors whose sum the cycle `cycle` is (rows of
    // level k of degree t of table, in Λ(sphere)), in the survivors' order.
    // Contradiction where a leading term neither survives nor is Hit.
    ChainStatus read(TableChains& chains, const CurtisTable& table, std::int32_t t, int k,
                     int sphere, const Survivors& survivors, const TermSet& cycle,
                     std::vector<std::int32_t>& out);

private:
    struct Level {
        std::vector<std::int32_t> survivors;
        std::vector<Entry> words; // k + 1 entries each, in the same order
    };

    Level& level(const CurtisTable& table, std::int32_t t, int k, int sphere,
                 const Survivors& survivors);

    std::map<std::tuple<const CurtisTable*, std::int32_t, int, int>, Level> levels_;
    RunSum sum_; // the cycle being reduced, its words at or above the least survivor
};

} // namespace curtis
