#include "elimination/memory_limit.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace curtis {

namespace {

constexpr std::uint64_t unknown = UINT64_MAX;

// MemAvailable from /proc/meminfo, the kernel's estimate of what can be
// allocated without swapping.
std::uint64_t availableSystemMemory() {
    std::FILE* file = std::fopen("/proc/meminfo", "r");
    if (file == nullptr) {
        return unknown;
    }
    std::uint64_t result = unknown;
    char line[256];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        unsigned long long kib = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
            result = static_cast<std::uint64_t>(kib) * 1024;
            break;
        }
    }
    std::fclose(file);
    return result;
}

// The process's current virtual size and data size, in bytes, from
// /proc/self/statm.
bool currentUsage(std::uint64_t& virtualBytes, std::uint64_t& dataBytes) {
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (file == nullptr) {
        return false;
    }
    unsigned long long size = 0, resident = 0, shared = 0, text = 0, lib = 0, data = 0;
    const int read = std::fscanf(file, "%llu %llu %llu %llu %llu %llu", &size, &resident, &shared,
                                 &text, &lib, &data);
    std::fclose(file);
    if (read != 6) {
        return false;
    }
    const std::uint64_t page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    virtualBytes = size * page;
    dataBytes = data * page;
    return true;
}

std::uint64_t remainingUnder(int resource, std::uint64_t inUse) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return unknown;
    }
    const std::uint64_t cap = static_cast<std::uint64_t>(limit.rlim_cur);
    return cap > inUse ? cap - inUse : 0;
}

} // namespace

ObtainableMemory obtainableMemory() {
    ObtainableMemory result;
    const auto consider = [&result](std::uint64_t bytes, MemoryLimit limit) {
        if (bytes != unknown && bytes < result.bytes) {
            result.bytes = bytes;
            result.limit = limit;
        }
    };
    consider(availableSystemMemory(), MemoryLimit::AvailableMemory);
    std::uint64_t virtualBytes = 0;
    std::uint64_t dataBytes = 0;
    if (!currentUsage(virtualBytes, dataBytes)) {
        virtualBytes = 0;
        dataBytes = 0;
    }
    consider(remainingUnder(RLIMIT_AS, virtualBytes), MemoryLimit::AddressSpace);
    consider(remainingUnder(RLIMIT_DATA, dataBytes), MemoryLimit::DataSize);
    return result;
}

const char* describe(MemoryLimit limit) {
    switch (limit) {
    case MemoryLimit::AvailableMemory:
        return "available memory";
    case MemoryLimit::AddressSpace:
        return "address-space limit";
    case MemoryLimit::DataSize:
        return "data-size limit";
    case MemoryLimit::None:
        break;
    }
    return "no limit";
}

} // namespace curtis
