// curtis-chart with test-only settings, run through the same guard as the
// program. Its output file is always a named temporary file until it is
// complete, so that a test can see whether one is left behind. Optional
// first arguments, before curtis-chart's own:
//   --count-allocations    writes "allocations N" on standard error at the end
//   --fail-allocation K    the K-th allocation throws std::bad_alloc (the
//                          later ones succeed: the memory freed while the
//                          stack unwinds is there to be had again)
//   --kill-after-degree T  the process kills itself (SIGKILL) once degree T
//                          is written and stored
//   --obtainable N         the process can obtain N bytes (limited by the
//                          available memory)
#include "chart_tool/chart_tool.hpp"
#include "report/guarded_run.hpp"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace {

// Counted from every thread: each allocation takes a number of its own, so
// the K-th fails exactly once whatever the workers do at the same time.
std::atomic<unsigned long long> allocations{0};
unsigned long long failing = 0; // 0: no allocation fails; set before any worker starts

} // namespace

void* operator new(std::size_t size) {
    if (allocations.fetch_add(1, std::memory_order_relaxed) + 1 == failing) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

int main(int argc, char** argv) {
    bool count = false;
    int killT = 0;
    std::optional<curtis::ObtainableMemory> obtainable;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--count-allocations") == 0) {
            count = true;
        } else if (std::strcmp(argv[first], "--fail-allocation") == 0 && first + 1 < argc) {
            failing = std::strtoull(argv[++first], nullptr, 10);
        } else if (std::strcmp(argv[first], "--obtainable") == 0 && first + 1 < argc) {
            obtainable = curtis::ObtainableMemory{std::strtoull(argv[++first], nullptr, 10),
                                                  curtis::MemoryLimit::AvailableMemory};
        } else if (std::strcmp(argv[first], "--kill-after-degree") == 0 && first + 1 < argc) {
            killT = std::atoi(argv[++first]);
        } else {
            break;
        }
    }
    std::vector<const char*> arguments{argv[0]};
    arguments.insert(arguments.end(), argv + first, argv + argc);
    curtis::ChartToolSeams seams;
    seams.output.unnamed = false;
    seams.obtainable = obtainable;
    seams.afterDegree = [&](std::int32_t t) {
        if (t == killT) {
            raise(SIGKILL);
        }
    };
    const int status = curtis::runGuarded([&] {
        return curtis::runChartTool(static_cast<int>(arguments.size()), arguments.data(), seams);
    });
    if (count) {
        std::fprintf(stderr, "allocations %llu\n", allocations.load());
    }
    return status;
}
