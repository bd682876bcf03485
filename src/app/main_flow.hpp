#pragma once

#include "report/exit_status.hpp"
#include "table/computation.hpp"

#include <cstdio>

namespace curtis {

// The whole program: dialogue on in and out, the computation with the chart
// on out, the closing lines and the wait for a key. Diagnostics go to the
// error stream. Returns the exit status. The program runs with the default
// settings; the test build passes others.
int runCurtis(std::FILE* in, std::FILE* out, const ComputationSettings& settings = {});

} // namespace curtis
