#include "readings/massey.hpp"

#include "algebra/f2_echelon.hpp"

namespace curtis {

namespace {

// A chain u whose boundary is x y, or why not (x y is not zero): one of
// the outcomes.
ChainResult<MasseyOutcome> bounding(SphereNames& names, const Chain& x, const Chain& y,
                                    const std::string& xy, Chain& u, std::string& why) {
    ChainAlgebra& algebra = names.algebra();
    const ChainResult<Chain> product = algebra.product(x, y);
    if (!product) {
        return ChainResult<MasseyOutcome>::from(product);
    }
    if (!names.has(product->t, product->k) || !algebra.sphereFinal(product->t, product->k - 1)) {
        return MasseyOutcome::Outside;
    }
    ChainResult<Chain> bounded = algebra.bounding(*product, algebra.computation().sphere());
    if (bounded.failed()) {
        return bounded.status();
    }
    if (!bounded) {
        const ChainResult<SphereValue> value = names.classOf(*product);
        const std::optional<std::string> name = value ? names.name(*value) : std::nullopt;
        if (!name) {
            return ChainResult<MasseyOutcome>::from(value);
        }
        why = xy + " is " + *name + ", not zero";
        return MasseyOutcome::NotZero;
    }
    u = std::move(*bounded);
    return MasseyOutcome::Found;
}

// Adds to the span the products of x's cycle by every survivor of level k
// of degree t, on the side given.
ChainResult<Done> spanOfProducts(SphereNames& names, const Chain& x, std::int32_t t, int k,
                                 bool left, F2Echelon& span) {
    const ChartSurvivors* survivors = names.survivors(t, k);
    if (survivors == nullptr) {
        return Done{}; // nothing there
    }
    ChainAlgebra& algebra = names.algebra();
    for (const std::int32_t survivor : survivors->records()) {
        const ChainResult<Chain> y =
            algebra.cycle(algebra.computation().sphere(), t, k, {survivor});
        if (!y) {
            return ChainResult<Done>::from(y);
        }
        const ChainResult<Chain> xy = left ? algebra.product(x, *y) : algebra.product(*y, x);
        if (!xy) {
            return ChainResult<Done>::from(xy);
        }
        const ChainResult<SphereValue> value = names.classOf(*xy);
        if (!value) {
            return ChainResult<Done>::from(value);
        }
        span.add(value->bits, span.rank());
    }
    return Done{};
}

} // namespace

ChainResult<MasseyOutcome> masseyProduct(SphereNames& names, const SphereValue& a,
                                         const SphereValue& b, const SphereValue& c,
                                         const std::vector<std::string>& given, MasseyValue& out,
                                         std::string& why) {
    ChainAlgebra& algebra = names.algebra();
    const std::int32_t t = a.t + b.t + c.t - 2;
    const int k = a.k + b.k + c.k - 1;
    if (!names.has(t, k)) {
        return MasseyOutcome::Outside;
    }
    Chain cycles[3];
    const SphereValue* classes[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        ChainResult<Chain> cycle = algebra.cycle(algebra.computation().sphere(), classes[i]->t,
                                                 classes[i]->k, names.recordsOf(*classes[i]));
        if (!cycle) {
            return ChainResult<MasseyOutcome>::from(cycle);
        }
        cycles[i] = std::move(*cycle);
    }
    Chain u;
    Chain v;
    for (const auto& [x, y, chain, text] :
         {std::tuple{&cycles[0], &cycles[1], &u, given[0] + " " + given[1]},
          std::tuple{&cycles[1], &cycles[2], &v, given[1] + " " + given[2]}}) {
        const ChainResult<MasseyOutcome> bounded = bounding(names, *x, *y, text, *chain, why);
        if (!(bounded == MasseyOutcome::Found)) {
            return bounded;
        }
    }
    ChainResult<Chain> uc = algebra.product(u, cycles[2]);
    const ChainResult<Chain> av = algebra.product(cycles[0], v);
    if (!uc || !av) {
        return ChainResult<MasseyOutcome>::from(uc.failed() ? uc : av);
    }
    ChainAlgebra::add(*uc, *av);
    const ChainResult<SphereValue> value = names.classOf(*uc);
    if (!value) {
        return ChainResult<MasseyOutcome>::from(value);
    }
    out.value = *value;
    out.indeterminacy.clear();
    // A Ext^(B C's place) + Ext^(A B's place) C, in the value's bidegree.
    F2Echelon span;
    ChainResult<Done> spanned =
        spanOfProducts(names, cycles[0], b.t + c.t - 1, b.k + c.k - 1, true, span);
    if (spanned) {
        spanned = spanOfProducts(names, cycles[2], a.t + b.t - 1, a.k + b.k - 1, false, span);
    }
    if (!spanned) {
        return ChainResult<MasseyOutcome>::from(spanned);
    }
    for (const F2Echelon::Row& row : span.rows()) {
        out.indeterminacy.push_back({value->t, value->k, row.value});
    }
    return MasseyOutcome::Found;
}

} // namespace curtis
