#include "readings/massey.hpp"

#include "algebra/f2_echelon.hpp"

namespace curtis {

namespace {

// A chain u whose boundary is x y, or why not (x y is not zero): one of
// the outcomes.
MasseyOutcome bounding(SphereNames& names, const SphereChain& x, const SphereChain& y,
                       const std::string& xy, SphereChain& u, std::string& why) {
    Products& products = names.products();
    SphereChain product;
    bool bounds = false;
    if (!products.sphereProduct(x, y, product)) {
        return MasseyOutcome::Failed;
    }
    if (!names.has(product.t, product.k) || !products.sphereFinal(product.t, product.k - 1)) {
        return MasseyOutcome::Outside;
    }
    if (!products.sphereBounding(product, u, bounds)) {
        return MasseyOutcome::Failed;
    }
    if (!bounds) {
        const std::optional<SphereValue> value = names.classOf(product);
        const std::optional<std::string> name = value ? names.name(*value) : std::nullopt;
        if (!name) {
            return MasseyOutcome::Failed;
        }
        why = xy + " is " + *name + ", not zero";
        return MasseyOutcome::NotZero;
    }
    return MasseyOutcome::Found;
}

// Adds to the span the products of x's cycle by every survivor of level k
// of degree t, on the side given.
bool spanOfProducts(SphereNames& names, const SphereChain& x, std::int32_t t, int k, bool left,
                    F2Echelon& span) {
    const ChartSurvivors* survivors = names.survivors(t, k);
    if (survivors == nullptr) {
        return true; // nothing there
    }
    Products& products = names.products();
    for (const std::int32_t survivor : survivors->records()) {
        SphereChain y;
        SphereChain xy;
        if (!products.sphereCycle(t, k, {survivor}, y) ||
            !(left ? products.sphereProduct(x, y, xy) : products.sphereProduct(y, x, xy))) {
            return false;
        }
        const std::optional<SphereValue> value = names.classOf(xy);
        if (!value) {
            return false;
        }
        span.add(value->bits, span.rank());
    }
    return true;
}

} // namespace

MasseyOutcome masseyProduct(SphereNames& names, const SphereValue& a, const SphereValue& b,
                            const SphereValue& c, const std::vector<std::string>& given,
                            MasseyValue& out, std::string& why) {
    Products& products = names.products();
    const std::int32_t t = a.t + b.t + c.t - 2;
    const int k = a.k + b.k + c.k - 1;
    if (!names.has(t, k)) {
        return MasseyOutcome::Outside;
    }
    SphereChain cycles[3];
    const SphereValue* classes[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        if (!products.sphereCycle(classes[i]->t, classes[i]->k, names.recordsOf(*classes[i]),
                                  cycles[i])) {
            return MasseyOutcome::Failed;
        }
    }
    SphereChain u;
    SphereChain v;
    for (const auto& [x, y, chain, text] :
         {std::tuple{&cycles[0], &cycles[1], &u, given[0] + " " + given[1]},
          std::tuple{&cycles[1], &cycles[2], &v, given[1] + " " + given[2]}}) {
        const MasseyOutcome bounded = bounding(names, *x, *y, text, *chain, why);
        if (bounded != MasseyOutcome::Found) {
            return bounded;
        }
    }
    SphereChain uc;
    SphereChain av;
    if (!products.sphereProduct(u, cycles[2], uc) || !products.sphereProduct(cycles[0], v, av)) {
        return MasseyOutcome::Failed;
    }
    Products::addChain(uc, av);
    const std::optional<SphereValue> value = names.classOf(uc);
    if (!value) {
        return MasseyOutcome::Failed;
    }
    out.value = *value;
    out.indeterminacy.clear();
    // A Ext^(B C's place) + Ext^(A B's place) C, in the value's bidegree.
    F2Echelon span;
    if (!spanOfProducts(names, cycles[0], b.t + c.t - 1, b.k + c.k - 1, true, span) ||
        !spanOfProducts(names, cycles[2], a.t + b.t - 1, a.k + b.k - 1, false, span)) {
        return MasseyOutcome::Failed;
    }
    for (const F2Echelon::Row& row : span.rows()) {
        out.indeterminacy.push_back({value->t, value->k, row.value});
    }
    return MasseyOutcome::Found;
}

} // namespace curtis
