// The program with the settings only tests may change, given as arguments:
//   --term-set-rows N        the most rows a term set may grow to
//   --no-memory-check        hold what the computation needs without comparing it with
//                            what can be obtained
//   --contradict-from T      once a level (1 and up) of a degree from T on of the sphere's
//                            table is final, its Hit records are made Sources behind its back
//   --obtainable N           the process can obtain N bytes (limited by the available memory)
#include "app/main_flow.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    curtis::ComputationSettings settings;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--term-set-rows") == 0 && i + 1 < argc) {
            settings.termSetRows = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--no-memory-check") == 0) {
            settings.checkMemory = false;
        } else if (std::strcmp(argv[i], "--contradict-from") == 0 && i + 1 < argc) {
            const int from = std::atoi(argv[++i]);
            settings.afterSphereLevel = [from](curtis::SphereTable& sphere, std::int32_t t, int k) {
                curtis::LevelRecords& level = sphere.kept(t, k);
                for (std::int32_t r = 0; t >= from && k >= 1 && r < level.size(); ++r) {
                    if (level.state(r) == curtis::Hit) {
                        level.set(r, curtis::Source, level.partner(r));
                    }
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
