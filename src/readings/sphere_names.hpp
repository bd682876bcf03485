#pragma once

#include "readings/products.hpp"
#include "report/progress.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace curtis {

// A class of the sphere in one bidegree as a sum of that bidegree's
// survivors: bit j for survivor j in the chart's order.
using ClassBits = std::uint64_t;
inline constexpr int maxNamedClasses = 64;

// A class of the sphere at level k (its filtration) of total degree t.
struct SphereValue {
    std::int32_t t = 0;
    int k = 0;
    ClassBits bits = 0;
};

// An algebra generator of the sphere's Ext: a survivor of its bidegree that
// is not in the span of the decomposables and the generators before it.
struct SphereGenerator {
    int stem = 0;
    int filtration = 0;
    std::size_t index = 0; // the survivor, in the chart's order
    std::string name;
};

// The generators of the ring Ext of the sphere and a named basis of every
// bidegree, read off the sphere's tables by products.
//
// The decomposables of a bidegree are the span of the products g m of a
// generator g of lower filtration by a basis element m of the rest; the
// survivors not in their span, greatest first, are the generators. The
// basis of a bidegree is chosen among those products by one rule: fewest
// factors first, then factors compared one by one, generators ordered by
// stem, filtration and place; then its generators. Each class is named
// by the sum of basis elements it is, terms in that same order of
// monomials.
class SphereNames {
public:
    explicit SphereNames(Products& products) : products_(products) {}

    // Reads every bidegree of the sphere's final levels of total degree up
    // to lastT. Bidegrees where the number of generators differs from the
    // literature's table give a warning line each. False on a failure:
    // products().status() says which, or `why` when a bidegree holds more
    // classes than maxNamedClasses.
    bool compute(std::int32_t lastT, ProgressLine& progress, std::vector<std::string>& warnings,
                 std::string& why);

    const std::vector<SphereGenerator>& generators() const { return generators_; }

    // The name of a class; nothing where its bidegree was not read.
    std::optional<std::string> name(const SphereValue& value) const;

    // The class a name gives: a generator, or a product of generators with
    // powers ("h0^4 h4", "h2^2"); nothing, with why in one line, for a name
    // that is none or a product past the levels read.
    std::optional<SphereValue> parse(const std::string& text, std::string& why);

    // The product of a class by generator g (its place in generators());
    // nothing past the levels read, or on a failure.
    std::optional<SphereValue> times(const SphereValue& x, std::size_t g);

    // The survivors' records of a bidegree, in the chart's order.
    const std::vector<std::int32_t>* survivors(std::int32_t t, int k) const;

    // The bits of a sum of survivors of a level read, given as records.
    ClassBits bitsOf(std::int32_t t, int k, const std::vector<std::int32_t>& records) const;
    // The records of a class's survivors.
    std::vector<std::int32_t> recordsOf(const SphereValue& x) const;
    // The class of a cycle of a level read; nothing past them or on a
    // failure.
    std::optional<SphereValue> classOf(const SphereChain& cycle);
    // Whether a bidegree was read.
    bool has(std::int32_t t, int k) const { return level(t, k) != nullptr; }

    Products& products() { return products_; }

private:
    using Monomial = std::vector<std::size_t>; // generators, in their order
    struct Level {
        std::vector<std::int32_t> survivors;
        std::vector<Monomial> basis;
        std::vector<ClassBits> values; // of the basis elements
        // Echelon rows: a value and the basis elements whose sum it is.
        std::vector<std::pair<ClassBits, ClassBits>> rows;
    };

    bool readLevel(std::int32_t t, int k, std::string& why);
    // The products g m for each generator g of lower filtration and each
    // basis element m of the rest, as monomials with their values.
    bool decomposables(std::int32_t t, int k,
                       std::vector<std::pair<Monomial, ClassBits>>& candidates);
    std::optional<ClassBits> product(std::int32_t t, int k, std::size_t j, std::size_t g);
    void nameGenerators(std::vector<std::string>& warnings);
    bool before(std::size_t a, std::size_t b) const;
    bool monomialBefore(const Monomial& a, const Monomial& b) const;
    std::string monomialName(const Monomial& m) const;
    const Level* level(std::int32_t t, int k) const;

    Products& products_;
    std::vector<SphereGenerator> generators_;
    std::vector<SphereChain> generatorCycles_;
    std::map<std::pair<std::int32_t, int>, Level> levels_;
    std::map<std::tuple<std::int32_t, int, std::size_t, std::size_t>, ClassBits> memo_;
};

} // namespace curtis
