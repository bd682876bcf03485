#pragma once

#include <cstdint>

namespace curtis {

// A sum mod 2 of monomials of one common length: rows 0 to rowCount - 1 of a
// fixed storage of rowLimit rows, each row a run of entries of which the
// first rowLength are in use. The rows in use are pairwise distinct; their
// order carries no meaning for the sum, though the operations below keep it
// exactly as they describe.
struct TermSet {
    std::int32_t** rows = nullptr;
    std::int32_t rowCount = 0;
    std::int32_t rowLength = 0;
    std::int32_t rowLimit = 0;
};

// Adds candidate (at least rowLength entries) to the set mod 2. If an equal
// row is present (the first one found scanning from row 0), the last row is
// copied into its place and the count drops by one; otherwise the candidate
// is copied into row rowCount and the count grows by one. The candidate's
// buffer may be reused right after the call.
// Returns false, and leaves the set unchanged, when the candidate would need
// a row beyond rowLimit.
bool toggle(TermSet& set, const std::int32_t* candidate);

} // namespace curtis
