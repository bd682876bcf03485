#pragma once

#include "elimination/computation.hpp"

#include <cstdio>

namespace curtis {

// Exit statuses of the program.
inline constexpr int exitFinished = 0;
// The input ended before both numbers were read, or the chart could not be
// written.
inline constexpr int exitInputOutput = 1;
// Storage could not be obtained, or the computation outgrew it. Reported by
// the shell as 255.
inline constexpr int exitStorage = -1;

// The whole program: dialogue on in and out, the computation with the chart
// on out, the closing lines and the wait for a key. Diagnostics go to the
// error stream. Returns the exit status. The program runs with the default
// settings; the test build passes others.
int runCurtis(std::FILE* in, std::FILE* out, const ComputationSettings& settings = {});

} // namespace curtis
