#pragma once

#include "chart/space.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace curtis {

// A map whose source is the chart's space, each class of which gets its
// image: a map of the cell filtration of P_A^C, or of the algebraic EHP
// sequence of the unstable spheres.
//
// Cells: the boundary never raises the cell, so P_A^B (cells A .. B) is a
// subcomplex of P_A^C, with quotient P_(B+1)^C:
// - include:C, P_A^B -> P_A^C (C > B, or none for P_A), the same words;
// - pinch:B, P_A^C -> P_(B+1)^C (A <= B < C), the words on cells above B;
// - boundary:A, P_(B+1)^C -> P_A^B (A <= B): a cycle's words lifted to
//   P_A^C, whose boundary lies on the cells up to B.
// A word keeps its true cell, so its total degree (counted from the bottom
// cell) moves by the difference of the bottom cells; the boundary raises
// the level by one: stem - 1, filtration + 1.
//
// EHP, from 0 -> Λ(n) -> Λ(n+1) -> Λ(2n+1) -> 0 (λ_n λ_J -> λ_J), on the
// chart of S^N:
// - E, Λ(N) -> Λ(N+1), the same words: (k, s) -> (k, s);
// - H, Λ(N) -> Λ(2N-1), λ_(N-1) λ_J -> λ_J and the other words to 0:
//   (k, s) -> (k - N + 1, s - 1);
// - P, Λ(2M+1) -> Λ(M): λ_J lifted to λ_M λ_J in Λ(M+1), whose boundary
//   lies in Λ(M): (k, s) -> (k + M - 1, s + 2).
enum class MapKind { Include, Pinch, Boundary, E, H, P };

struct ChartMap {
    MapKind kind = MapKind::E;
    // include: C (none: P_A, infinite); pinch: B; boundary: A.
    std::optional<std::int32_t> cell;

    // As the option gives it and the JSON names its field: "include:16",
    // "include:inf", "pinch:8", "boundary:1", "E", "H", "P".
    std::string name() const;
    bool ofCells() const {
        return kind == MapKind::Include || kind == MapKind::Pinch || kind == MapKind::Boundary;
    }
    // The levels an image lies above its class's: 1 for the boundary, -1
    // for H, 2 for P, else 0.
    int levelShift() const;

    // A cell map: its target, from the chart's space (which suits it).
    Space target(const Space& source) const;
    // A cell map: the total degree an image of degree t lies in.
    std::int32_t targetDegree(const Space& source, std::int32_t t) const {
        return t + source.bottomCell() - target(source).bottomCell();
    }

    // An EHP map on the chart of S^N: the sphere of its target, and the
    // total degree an image of degree t lies in.
    int targetSphere(int sphere) const;
    std::int32_t targetDegree(int sphere, std::int32_t t) const;
};

// The map a --map value names, or nothing with why in one line.
std::optional<ChartMap> parseChartMap(const std::string& text, std::string& why);

// Why the map does not go with the chart of this space (and unstable
// sphere, if any), in one line; "" when it does.
std::string mapRefusal(const ChartMap& map, const Space& space, std::optional<int> unstable);

} // namespace curtis
