#pragma once

// The invariants the code states, checked where checking is cheap.
//
// CURTIS_INVARIANT(condition, "name") checks `condition` in every build the
// tests run in (built without NDEBUG: make test, the sanitizer builds, CI)
// and compiles to nothing in Release, where the condition is not evaluated.
// A broken invariant is a fault of the program, never of its input: input a
// run reads (options, a cache file) is checked by code that reports it, not
// by an invariant. On a broken invariant the name, the condition and the
// place are written to standard error and the process aborts.

namespace curtis {

[[noreturn]] void invariantBroken(const char* name, const char* condition, const char* file,
                                  int line);

} // namespace curtis

#ifdef NDEBUG
#define CURTIS_INVARIANT(condition, name) static_cast<void>(sizeof(!(condition)))
#else
#define CURTIS_INVARIANT(condition, name)                                                          \
    ((condition) ? static_cast<void>(0)                                                            \
                 : ::curtis::invariantBroken(name, #condition, __FILE__, __LINE__))
#endif
