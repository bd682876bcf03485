#include "readings/unstable_products.hpp"

namespace curtis {

ChainResult<ClassTerms> UnstableProducts::product(std::int32_t t, int k, const Entry* word,
                                                  const Entry* killer, int i) {
    const std::int32_t shift = std::int32_t{1} << i;
    if (!algebra_.spaceReadable(t, t + shift, k + 1)) {
        return ChainResult<ClassTerms>::none();
    }
    const CurtisTable& table = algebra_.computation().table();
    const ChainResult<Chain> x = killer != nullptr
                                     ? algebra_.claimingBoundary(table, t, k, killer, word)
                                     : algebra_.cycle(table, t, k, word);
    if (!x) {
        return ChainResult<ClassTerms>::from(x);
    }
    return algebra_.classOfImage(*x, ChainAlgebra::appending(k, static_cast<Entry>(shift - 1)),
                                 ClassLevel(table, t + shift, k + 1, sphere_));
}

} // namespace curtis
