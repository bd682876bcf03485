#pragma once

#include "readings/sphere_names.hpp"

#include <string>
#include <vector>

namespace curtis {

// A Massey product <A, B, C> of classes of the sphere, with its
// indeterminacy A Ext + Ext C as a basis.
struct MasseyValue {
    SphereValue value;
    std::vector<SphereValue> indeterminacy;
};

enum class MasseyOutcome {
    Found,   // the value and its indeterminacy
    Outside, // it lies past the levels read
    NotZero, // A B or B C is not zero: `why` says which
};

// <A, B, C> from Lambda cycles a, b, c: where ab = d(u) and bc = d(v), both
// solved through the table, uc + av is a cycle, and its class is the Massey
// product; the choices of u and v change it by A Ext + Ext C.
ChainResult<MasseyOutcome> masseyProduct(SphereNames& names, const SphereValue& a,
                                         const SphereValue& b, const SphereValue& c,
                                         const std::vector<std::string>& given, MasseyValue& out,
                                         std::string& why);

} // namespace curtis
