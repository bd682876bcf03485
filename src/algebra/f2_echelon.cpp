#include "algebra/f2_echelon.hpp"

#include "check/invariant.hpp"

#include <algorithm>
#include <bit>

namespace curtis {

F2Echelon::Bits F2Echelon::reduce(Bits v, Bits& combination) const {
    combination = 0;
    for (const Row& row : rows_) {
        if ((v & (Bits{1} << (std::bit_width(row.value) - 1))) != 0) {
            v ^= row.value;
            combination ^= row.combination;
        }
    }
    return v;
}

bool F2Echelon::add(Bits v, std::size_t place) {
    Bits combination = 0;
    v = reduce(v, combination);
    if (v == 0) {
        return false;
    }
    CURTIS_INVARIANT(place < 64, "a place of F2^64");
    // v holds no row's highest bit, so its own is no row's: the order by
    // value is the order by highest bit.
    rows_.push_back({v, combination ^ (Bits{1} << place)});
    std::sort(rows_.begin(), rows_.end(),
              [](const Row& a, const Row& b) { return a.value > b.value; });
    return true;
}

} // namespace curtis
