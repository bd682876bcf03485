#include "algebra/basis.hpp"

#include <algorithm>
#include <cstdint>

namespace curtis {

bool enumerateAdmissible(GeneratorTables& tables, int L, int position, int remaining,
                         std::int32_t sum, std::int32_t w) {
    std::int32_t* scratch = tables.scratchMonomial;
    if (remaining == 1) {
        // The last entry takes the whole sum; after the first lambda index
        // it must not exceed twice its predecessor.
        if (position >= 2 && sum > 2 * scratch[position - 1]) {
            return true;
        }
        scratch[position] = sum;
        return appendGenerator(tables, L, scratch);
    }
    if (position == 0) {
        // The cell index, from the largest possible down to -w.
        for (std::int32_t cell = sum; cell >= -w; --cell) {
            scratch[0] = cell;
            if (!enumerateAdmissible(tables, L, 1, remaining - 1, sum - cell, w)) {
                return false;
            }
        }
        return true;
    }
    const std::int32_t bound = position == 1 ? sum : std::min(sum, 2 * scratch[position - 1]);
    // The entries after a value v can add up to at most 2v + 4v + ... =
    // v (2^remaining - 2), so values below sum / (2^remaining - 1) leave a
    // rest that no admissible completion reaches: stop before them.
    const std::int64_t reach = remaining >= 32 ? INT64_MAX : (std::int64_t{1} << remaining) - 1;
    const std::int32_t lowest = sum == 0 ? 0 : static_cast<std::int32_t>((sum - 1) / reach + 1);
    for (std::int32_t value = bound; value >= lowest; --value) {
        scratch[position] = value;
        if (!enumerateAdmissible(tables, L, position + 1, remaining - 1, sum - value, w)) {
            return false;
        }
    }
    return true;
}

bool enumerateLevel(GeneratorTables& tables, int L, std::int32_t c0, std::int32_t w) {
    return enumerateAdmissible(tables, L, 0, L + 1, c0 - L, w);
}

} // namespace curtis
