#pragma once

#include "readings/chain_algebra.hpp"

#include <cstdint>

namespace curtis {

// Products by h_i in the unstable chart of S^N: the homology of Λ(N), the
// sphere's words of first index below N, read off the sphere's table.
//
// A class of S^N is a survivor or, given its killer (level k - 1, born
// above S^N), a target word. Its cycle in Λ(N) is the survivor's, or the
// boundary that claims the target; times λ(2^i - 1) it stays in Λ(N)
// (λ(2^i - 1) is there from S^(2^i) on), and its class is read in Λ(N).
class UnstableProducts {
public:
    UnstableProducts(ChainAlgebra& algebra, int sphere) : algebra_(algebra), sphere_(sphere) {}

    // The product by h_i of the class `word` of level k in total degree t
    // (killed by `killer`, or a survivor where that is null), of stem at
    // least 2^i - N: the classes of S^N of level k + 1 whose sum it is, as
    // their records; none where that level was not computed. A term that
    // leaves Λ(N) contradicts the algebra.
    ChainResult<ClassTerms> product(std::int32_t t, int k, const Entry* word, const Entry* killer,
                                    int i);

private:
    ChainAlgebra& algebra_;
    int sphere_;
};

} // namespace curtis
