#include "check/invariant.hpp"

#include <cstdio>
#include <cstdlib>

namespace curtis {

void invariantBroken(const char* name, const char* condition, const char* file, int line) {
    std::fprintf(stderr, "curtis: invariant broken: %s (%s, at %s:%d)\n", name, condition, file,
                 line);
    std::fflush(stderr);
    std::abort();
}

} // namespace curtis
