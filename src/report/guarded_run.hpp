#pragma once

#include <cstdio>
#include <functional>

namespace curtis {

// Runs a program's body and turns whatever escapes it into one line on err
// and an exit status, so that no run ends in a core dump: memory that could
// not be had (std::bad_alloc, std::length_error from a container) gives
// "Error: fail to allocate memory!" and the storage status, anything else
// "Error: " and what it says, and status 1. The stack unwinds first, so
// every owner (an output file's temporary among them) cleans up.
int runGuarded(const std::function<int()>& body, std::FILE* err = stderr);

} // namespace curtis
