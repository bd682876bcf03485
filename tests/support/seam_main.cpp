// The program with the settings only tests may change, given as arguments:
//   --capacity N             records per level table instead of the capacity rule
//   --no-memory-check        allocate without first comparing with what can be obtained
//   --drop-from-level L      remove the last generator of level L once it is enumerated
#include "app/main_flow.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int droppedLevel = -1;

void dropLastGenerator(curtis::GeneratorTables& tables, int level) {
    if (level == droppedLevel && tables.levelCount[level] > 0) {
        --tables.levelCount[level];
    }
}

} // namespace

int main(int argc, char** argv) {
    curtis::RunOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--capacity") == 0 && i + 1 < argc) {
            options.capacity = std::atoll(argv[++i]);
        } else if (std::strcmp(argv[i], "--no-memory-check") == 0) {
            options.checkMemory = false;
        } else if (std::strcmp(argv[i], "--drop-from-level") == 0 && i + 1 < argc) {
            droppedLevel = std::atoi(argv[++i]);
            options.afterEnumeration = dropLastGenerator;
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    return curtis::runCurtis(stdin, stdout, options);
}
