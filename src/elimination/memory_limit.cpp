#include "elimination/memory_limit.hpp"

#include "elimination/cgroups.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
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

// The first number in the file, or unknown ("max", no file, no number).
std::uint64_t readNumber(const std::string& path) {
    std::ifstream file(path);
    unsigned long long value = 0;
    if (file >> value) {
        return static_cast<std::uint64_t>(value);
    }
    return unknown;
}

// The value of `key` in a memory.stat file, or 0.
std::uint64_t statValue(const std::string& path, const std::string& key) {
    std::ifstream file(path);
    std::string name;
    unsigned long long value = 0;
    while (file >> name >> value) {
        if (name == key) {
            return static_cast<std::uint64_t>(value);
        }
    }
    return 0;
}

// What remains under the limit of the cgroup directory `directory` and of
// each directory above it up to `top`, with the names of one version's files.
std::uint64_t remainingInHierarchy(std::string directory, const std::string& top,
                                   const char* limitFile, const char* usageFile,
                                   const char* reclaimableKey) {
    std::uint64_t result = unknown;
    for (;;) {
        const std::uint64_t limit = readNumber(directory + "/" + limitFile);
        const std::uint64_t usage = readNumber(directory + "/" + usageFile);
        // cgroup v1 writes "no limit" as a huge number rounded to pages.
        if (limit != unknown && usage != unknown && limit < (std::uint64_t{1} << 62)) {
            const std::uint64_t reclaimable = statValue(directory + "/memory.stat", reclaimableKey);
            const std::uint64_t used = usage > reclaimable ? usage - reclaimable : 0;
            result = std::min(result, limit > used ? limit - used : 0);
        }
        if (directory.size() <= top.size()) {
            return result;
        }
        directory = directory.substr(0, directory.find_last_of('/'));
    }
}

} // namespace

std::uint64_t cgroupAvailableMemory(const std::string& membership, const std::string& root) {
    std::uint64_t result = unknown;
    forEachCgroup(membership, [&](const std::string&, const std::string& controllers,
                                  std::string path) {
        if (path == "/") {
            path.clear();
        }
        if (controllers.empty()) {
            // v2: one unified hierarchy.
            result = std::min(result, remainingInHierarchy(root + path, root, "memory.max",
                                                           "memory.current", "inactive_file"));
        } else if (hasController(controllers, "memory")) {
            const std::string mount = root + "/memory";
            result = std::min(result,
                              remainingInHierarchy(mount + path, mount, "memory.limit_in_bytes",
                                                   "memory.usage_in_bytes", "total_inactive_file"));
        }
    });
    return result;
}

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
    consider(cgroupAvailableMemory(cgroupMembership(), "/sys/fs/cgroup"),
             MemoryLimit::CgroupMemory);
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
    case MemoryLimit::CgroupMemory:
        return "cgroup memory limit";
    case MemoryLimit::None:
        break;
    }
    return "no limit";
}

} // namespace curtis
