#include "readings/transfer.hpp"

namespace curtis {

ChainResult<ClassTerms> Transfer::image(std::int32_t t, int k, const Entry* word) {
    const Computation& computation = algebra_.computation();
    const SphereTable& sphere = computation.sphere();
    const std::int32_t a = -computation.weight(); // the bottom cell, 0 or 1
    const std::int32_t target = t + 1 + a;
    if (!computation.computed(t) || !algebra_.sphereFinal(target, k + 1)) {
        return ChainResult<ClassTerms>::none();
    }
    const ChainResult<Chain> x = algebra_.cycle(computation.table(), t, k, word);
    if (!x) {
        return ChainResult<ClassTerms>::from(x);
    }
    // Only the new first pair (c, i1) may break admissibility.
    return algebra_.classOfImage(
        *x,
        [&](const Entry* row, Entry* mapped) {
            mapped[0] = 0;
            mapped[1] = static_cast<Entry>(row[0] + a);
            copyMonomial(mapped + 2, row + 1, k);
            return k >= 1 ? PairRange{1, 1} : noPair;
        },
        ClassLevel(sphere, target, k + 1));
}

} // namespace curtis
