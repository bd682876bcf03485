#pragma once

#include "chart/bidegree.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace curtis {

// A class of the sphere by its place: its stem, its filtration and its
// index among the survivors of that bidegree in the chart's order (as the
// JSON lists them).
struct SphereClassRef {
    int stem = 0;
    int filtration = 0;
    std::size_t index = 0;

    // Where the class lies in the sphere's tables.
    Bidegree at() const { return Bidegree::atStem(stem, filtration); }
    // The program's total degree t and level of the class.
    std::int32_t t() const { return at().t; }
    int level() const { return at().k(); }
    // "stem:filtration:index", as it is given.
    std::string name() const;
};

// A whole number of one to four digits, no sign and no blanks; nothing for
// any other text.
std::optional<int> smallNumber(const std::string& text);

// The class STEM:FILTRATION:INDEX names: three whole numbers of at most
// four digits each, separated by colons, blanks around the whole ignored;
// nothing for any other text.
std::optional<SphereClassRef> parseClassRef(const std::string& text);

// Whether a text is meant as STEM:FILTRATION:INDEX rather than as a name of
// a class: no name holds a colon.
bool meantAsClassRef(const std::string& text);

} // namespace curtis
