#pragma once

#include "readings/chain_algebra.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace curtis {

// A class of the sphere: the survivor `word` (k + 1 entries) of level k in
// total degree t of the sphere's table.
struct SphereSurvivor {
    std::int32_t t = 0;
    int k = 0;
    const Entry* word = nullptr;
};

// Products of a space's classes by the sphere's: by h0 to h3, and by any
// class of the sphere, read off the tables through the chain algebra.
//
// λ(2^i - 1) is a cycle representing h_i. For a survivor x of level k in
// total degree t, the cycle X times λ(2^i - 1), reduced to admissible form,
// is a cycle of level k + 1 in total degree t + 2^i, and its class is the
// product. By a class y of the sphere, X Y lies at level k + y.k of total
// degree t + y.t - 1 (internal degrees add): in the ring Ext of the sphere,
// or for a space P_a^b in its module over it.
class Products {
public:
    explicit Products(ChainAlgebra& algebra) : algebra_(algebra) {}

    // The product of the survivor `word` of level k in total degree t by h_i
    // (0 <= i <= 3): the survivors of level k + 1 in total degree t + 2^i
    // whose sum it is; none when that degree or that level of it was not
    // computed (above a band).
    ChainResult<ClassTerms> product(std::int32_t t, int k, const Entry* word, int i);

    // The product of the survivor `word` of level k in total degree t by the
    // sphere's class y, x's cycle on the left: the survivors of level
    // k + y.k of total degree t + y.t - 1 whose sum it is; none when that
    // level was not computed.
    ChainResult<ClassTerms> productBy(std::int32_t t, int k, const Entry* word,
                                      const SphereSurvivor& y);

private:
    // Makes yCycle_ the cycle of the sphere's class y, kept while the same
    // y is asked for.
    ChainResult<Done> keepCycleOf(const SphereSurvivor& y);

    ChainAlgebra& algebra_;
    std::vector<Entry> yOf_; // t, k, then the word of the class whose cycle is yCycle_
    std::optional<Chain> yCycle_;
};

} // namespace curtis
