#pragma once

#include "readings/chain_algebra.hpp"

#include <cstdint>

namespace curtis {

// The algebraic transfer from P_a^b, a = 0 or 1, to the sphere: a cycle's
// every word e(c) λ_I becomes λ_c λ_I on the sphere's one cell, reduced to
// admissible form; level k of total degree t goes to level k + 1 of the
// sphere's total degree t + 1 + a.
class Transfer {
public:
    explicit Transfer(ChainAlgebra& algebra) : algebra_(algebra) {}

    // The image of the survivor `word` of level k in total degree t of the
    // space: the sphere's survivors whose sum it is, as their records; none
    // when that degree of the sphere is not there.
    ChainResult<ClassTerms> image(std::int32_t t, int k, const Entry* word);

private:
    ChainAlgebra& algebra_;
};

} // namespace curtis
