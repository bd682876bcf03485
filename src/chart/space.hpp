#pragma once

#include "chart/bidegree.hpp"
#include "chart/space_name.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace curtis {

// The stunted projective space P_a^b whose cells run from the bottom cell a
// to the top cell b, or upward without end when there is none; the sphere
// S^0 is P_0^0. Its chain complex has the weight w = -a.
class Space {
public:
    Space(std::int32_t bottomCell, std::optional<std::int32_t> topCell)
        : bottomCell_(bottomCell), topCell_(topCell) {}
    static Space sphere() { return Space(0, 0); }

    std::int32_t bottomCell() const { return bottomCell_; }
    const std::optional<std::int32_t>& topCell() const { return topCell_; }
    std::int32_t weight() const { return -bottomCell_; }
    // A single cell has no pairings that change the cell.
    bool singleCell() const { return topCell_ == bottomCell_; }
    // P_0^0: the sphere itself.
    bool isSphere() const { return bottomCell_ == 0 && singleCell(); }
    std::string name(Script script = Script::Unicode) const {
        return spaceName(bottomCell_, topCell_, script);
    }

    // Level s of total degree t.
    Bidegree bidegree(std::int32_t t, int s) const { return Bidegree{t, s, bottomCell_}; }
    // The total degree of the sphere's table where the algebraic transfer
    // of P_0^b or P_1^b sends total degree t: t + 1 + a, one level up.
    std::int32_t transferDegree(std::int32_t t) const { return t + 1 + bottomCell_; }

private:
    std::int32_t bottomCell_;
    std::optional<std::int32_t> topCell_;
};

} // namespace curtis
