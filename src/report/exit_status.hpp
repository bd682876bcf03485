#pragma once

namespace curtis {

// Exit statuses of both programs.
inline constexpr int exitFinished = 0;
// curtis: the input ended before both numbers were read; either program: the
// chart could not be written.
inline constexpr int exitInputOutput = 1;
// curtis-chart: bad arguments.
inline constexpr int exitBadArguments = 2;
// Storage could not be obtained, or the computation outgrew it. Reported by
// the shell as 255.
inline constexpr int exitStorage = -1;

} // namespace curtis
