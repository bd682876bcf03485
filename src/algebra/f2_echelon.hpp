#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace curtis {

// A subspace of F2^64, a vector a 64-bit word (bit j its j-th coordinate),
// held in echelon form: its rows, each with a highest bit that no other row
// has, in decreasing order; beside each row the vectors added to it whose
// sum it is, bit p for the p-th vector added (p < 64).
class F2Echelon {
public:
    using Bits = std::uint64_t;
    struct Row {
        Bits value = 0;
        Bits combination = 0;
    };

    // v less every row whose highest bit it holds, row by row: zero exactly
    // when v lies in the span. `combination` is the vectors added whose sum
    // was taken off.
    Bits reduce(Bits v, Bits& combination) const;
    // Adds v, the vector of place `place` (below 64), if it is not in the
    // span; false if it is.
    bool add(Bits v, std::size_t place);

    const std::vector<Row>& rows() const { return rows_; }
    std::size_t rank() const { return rows_.size(); }

private:
    std::vector<Row> rows_;
};

} // namespace curtis
