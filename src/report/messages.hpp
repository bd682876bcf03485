#pragma once

#include "table/computation.hpp"

#include <string>

namespace curtis {

// The message for a computation that did not finish (any outcome but
// Finished and Stopped), with its newline.
std::string failureMessage(const ComputationResult& result);

// For a memory shortfall, the figures: the bytes the computation would hold
// (its kept records and term set), the bytes the process can obtain and what
// sets that limit, with its newline.
std::string shortfallFigures(const ComputationResult& result);

} // namespace curtis
