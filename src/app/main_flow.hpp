#pragma once

#include "elimination/generator_tables.hpp"

#include <cstdint>
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

// Settings that only tests change.
struct RunOptions {
    // Records per level table; 0 means the program's capacity rule.
    std::int64_t capacity = 0;
    // Compare the storage needed with what the process can obtain before
    // allocating it.
    bool checkMemory = true;
    // Called after each level is enumerated, before anything reads it.
    void (*afterEnumeration)(GeneratorTables& tables, int level) = nullptr;
};

// The whole program: dialogue on in and out, storage, the level loop with the
// chart on out, the closing lines and the wait for a key. Diagnostics go to
// the error stream. Returns the exit status.
int runCurtis(std::FILE* in, std::FILE* out, const RunOptions& options = {});

} // namespace curtis
