// The program with the settings only tests may change, given as arguments:
//   --capacity N             records per level table instead of the exact sizes
//   --term-set-rows N        rows of the term set instead of the sizing rule
//   --no-memory-check        allocate without first comparing with what can be obtained
//   --drop-from-level L      remove the last generator of level L once it is opened
//   --obtainable N           the process can obtain N bytes (limited by the available memory)
#include "app/main_flow.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    curtis::ComputationSettings settings;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--capacity") == 0 && i + 1 < argc) {
            settings.recordLimit = std::atoll(argv[++i]);
        } else if (std::strcmp(argv[i], "--term-set-rows") == 0 && i + 1 < argc) {
            settings.termSetRows = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--no-memory-check") == 0) {
            settings.checkMemory = false;
        } else if (std::strcmp(argv[i], "--drop-from-level") == 0 && i + 1 < argc) {
            const int dropped = std::atoi(argv[++i]);
            settings.afterEnumeration = [dropped](curtis::GeneratorTables& tables, int level) {
                if (level == dropped && tables.levelCount(level) > 0) {
                    --tables.levelCount(level);
                }
            };
        } else if (std::strcmp(argv[i], "--obtainable") == 0 && i + 1 < argc) {
            settings.obtainable = curtis::ObtainableMemory{std::strtoull(argv[++i], nullptr, 10),
                                                           curtis::MemoryLimit::AvailableMemory};
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    return curtis::runCurtis(stdin, stdout, settings);
}
