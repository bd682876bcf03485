#pragma once

#include "chart/printed_chart.hpp"
#include "chart/reading_progress.hpp"
#include "readings/chain_algebra.hpp"

#include <cstddef>

namespace curtis {

// The images of the classes of the unstable spheres under E, H and P, read
// off the sphere's table of an algebra's computation (see addEhpMap for
// how).
class EhpImages {
public:
    explicit EhpImages(ChainAlgebra& algebra) : algebra_(algebra) {}

    // The image under `map` of the class `word` of level k of degree t of
    // S^sphere -- a survivor, or with its killer (level k - 1) a target --
    // as the records of the classes of the target's sphere (level
    // k + map.levelShift() of degree map.targetDegree(sphere, t)) whose sum
    // it is; none where that level is not final or past any table.
    ChainResult<ClassTerms> image(const ChartMap& map, int sphere, std::int32_t t, int k,
                                  const Entry* word, const Entry* killer);

private:
    // The cycle's image under `map` as a chain of degree `into`.
    ChainResult<Chain> mapped(const ChartMap& map, int sphere, const Chain& cycle,
                              std::int32_t into);

    ChainAlgebra& algebra_;
};

// Fills in the image of every class of the unstable chart of S^N under the
// plan's EHP map number `index` (E, H or P), read off the sphere's table of
// the algebra's computation. A class of S^N is a cycle of Λ(N): a
// survivor's cycle, or for a target killed from above S^N the boundary of
// its killer's chain, which lies in Λ(N). Its image:
// - E: the same cycle, read in Λ(N+1);
// - H: its words λ_(N-1) λ_J as λ_J, the others left out, read in
//   Λ(2N-1) (the quotient Λ(N)/Λ(N-1) is Λ(2N-1) moved by N - 1);
// - P (N = 2M+1): its words λ_J lifted to λ_M λ_J in Λ(M+1), whose
//   boundary, reduced, lies in Λ(M) (a term outside it contradicts the
//   table), read in Λ(M).
// Null where the target's level is not final; [] for a chain that is zero.
// Returns the status of the first image that failed, or Ok.
ChainStatus addEhpMap(PrintedChart& chart, ChainAlgebra& algebra, std::size_t index,
                      const OnReadingProgress& progress);

} // namespace curtis
