#pragma once

#include "chart/printed_chart.hpp"
#include "readings/ehp_maps.hpp"
#include "readings/sphere_names.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace curtis {

// The names of the classes of the unstable spheres, by the EHP sequence.
//
// A class of S^N is a survivor of the sphere's table, or a target that a
// word born above S^N kills; its cycle is the survivor's, or the boundary
// of its killer's chain. E keeps the cycle, so the class's image in the
// stable range (iterated E) is the survivor itself, or for a target zero:
// its cycle bounds on the sphere it dies on. So
// - a survivor lives on to the stable range and takes its stable name, the
//   sphere's name of that survivor (a sum of the named basis, as
//   `--sphere --names` names it: `h1`, `h1 d0 + h0^4 h4`);
// - a target born on S^m (first index m - 1) is named by its Hopf
//   invariant there, with that sphere: H at S^m (λ_(m-1) λ_J -> λ_J) takes
//   its cycle, which lies in Λ(m), to a class of S^(2m-1), named by the
//   same rule, and the target is that name followed by [m] (in
//   parentheses where it is a sum): `h0[2]`, `h0 h2[2]`, `(h1 + h0[3])[5]`.
// A sum of classes is the name of its survivors' sum followed by its
// targets' names, joined by " + "; "0" for none. A name depends only on the
// class's word, not on the sphere it is read on. The recursion ends: the
// Hopf invariant lies one filtration lower.
class UnstableNames {
public:
    explicit UnstableNames(SphereNames& names)
        : names_(names), table_(names.algebra().computation().sphere()), images_(names.algebra()) {}

    // The name of the sum of the classes `records` of level k of degree t
    // (each a survivor or a target of the sphere's table): nothing where a
    // level it needs was not read. Contradiction for a target whose Hopf
    // invariant is zero.
    ChainStatus name(std::int32_t t, int k, const std::vector<std::int32_t>& records,
                     std::optional<std::string>& out);

private:
    // The names of the terms of such a sum: its survivors' sum in the
    // sphere's named basis, then its targets'.
    ChainStatus terms(std::int32_t t, int k, const std::vector<std::int32_t>& records,
                      std::optional<std::vector<std::string>>& out);
    // A target's name by its Hopf invariant at its birth sphere.
    ChainStatus hopfName(std::int32_t t, int k, std::int32_t record,
                         std::optional<std::string>& out);

    SphereNames& names_;
    const SphereTable& table_;
    EhpImages images_;
    std::map<std::tuple<std::int32_t, int, std::int32_t>, std::optional<std::string>> targets_;
};

// With --unstable N --names: names every class of the chart of S^N, its
// products and its images under the maps, by UnstableNames. Returns the
// status of the first name that failed, or Ok.
ChainStatus addUnstableNames(PrintedChart& chart, SphereNames& names);

} // namespace curtis
