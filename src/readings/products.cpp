#include "readings/products.hpp"

namespace curtis {

ChainResult<ClassTerms> Products::product(std::int32_t t, int k, const Entry* word, int i) {
    const std::int32_t shift = std::int32_t{1} << i;
    if (!algebra_.spaceReadable(t, t + shift, k + 1)) {
        return ChainResult<ClassTerms>::none();
    }
    const CurtisTable& table = algebra_.computation().table();
    const ChainResult<Chain> x = algebra_.cycle(table, t, k, word);
    if (!x) {
        return ChainResult<ClassTerms>::from(x);
    }
    return algebra_.classOfImage(*x, ChainAlgebra::appending(k, static_cast<Entry>(shift - 1)),
                                 ClassLevel(table, t + shift, k + 1));
}

ChainResult<Done> Products::keepCycleOf(const SphereSurvivor& y) {
    std::vector<Entry> key{static_cast<Entry>(y.t), static_cast<Entry>(y.k)};
    key.insert(key.end(), y.word, y.word + y.k + 1);
    if (key != yOf_ || !yCycle_) {
        ChainResult<Chain> cycle =
            algebra_.cycle(algebra_.computation().sphere(), y.t, y.k, y.word);
        if (!cycle) {
            return ChainResult<Done>::from(cycle);
        }
        yCycle_ = std::move(*cycle);
        yOf_ = std::move(key);
    }
    return Done{};
}

ChainResult<ClassTerms> Products::productBy(std::int32_t t, int k, const Entry* word,
                                            const SphereSurvivor& y) {
    const std::int32_t target = t + y.t - 1;
    const int level = k + y.k;
    if (!algebra_.spaceReadable(t, target, level)) {
        return ChainResult<ClassTerms>::none();
    }
    const ChainResult<Done> kept = keepCycleOf(y);
    if (!kept) {
        return ChainResult<ClassTerms>::from(kept);
    }
    const CurtisTable& table = algebra_.computation().table();
    const ChainResult<Chain> x = algebra_.cycle(table, t, k, word);
    if (!x) {
        return ChainResult<ClassTerms>::from(x);
    }
    return algebra_.classOfProduct(*x, *yCycle_, ClassLevel(table, target, level));
}

} // namespace curtis
