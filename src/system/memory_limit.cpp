#include "system/memory_limit.hpp"

#include "system/cgroups.hpp"
#include "system/kernel_files.hpp"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace curtis {

namespace {

constexpr std::uint64_t unknown = UINT64_MAX;

// cgroup v1 writes "no limit" as a huge number rounded to pages.
constexpr std::uint64_t noLimitAbove = std::uint64_t{1} << 62;

// The process's current virtual size and data size, in bytes, from
// /proc/self/statm.
bool currentUsage(const std::string& root, std::uint64_t& virtualBytes, std::uint64_t& dataBytes) {
    const std::vector<std::string> words = fileWords(root + "/proc/self/statm", 6);
    if (words.size() != 6) {
        return false;
    }
    const std::optional<std::uint64_t> size = parseWholeNumber(words[0]);
    const std::optional<std::uint64_t> data = parseWholeNumber(words[5]);
    const long page = sysconf(_SC_PAGESIZE);
    if (!size || !data || page <= 0 || *size > UINT64_MAX / 65536 || *data > UINT64_MAX / 65536) {
        return false;
    }
    virtualBytes = *size * static_cast<std::uint64_t>(page);
    dataBytes = *data * static_cast<std::uint64_t>(page);
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

std::uint64_t cgroupAvailableMemory(const std::string& membership, const std::string& root) {
    std::uint64_t result = unknown;
    forEachCgroupDirectory(
        membership, root, "memory", [&](const std::string& directory, int version) {
            const bool v2 = version == 2;
            const std::optional<std::uint64_t> limit =
                fileNumber(directory + (v2 ? "/memory.max" : "/memory.limit_in_bytes"));
            const std::optional<std::uint64_t> usage =
                fileNumber(directory + (v2 ? "/memory.current" : "/memory.usage_in_bytes"));
            if (!limit || !usage || *limit >= noLimitAbove) {
                return;
            }
            const std::uint64_t reclaimable =
                keyedNumber(directory + "/memory.stat",
                            v2 ? "inactive_file" : "total_inactive_file")
                    .value_or(0);
            const std::uint64_t used = *usage > reclaimable ? *usage - reclaimable : 0;
            result = std::min(result, *limit > used ? *limit - used : 0);
        });
    return result;
}

ObtainableMemory obtainableMemory(const std::string& root) {
    ObtainableMemory result;
    const auto consider = [&result](std::uint64_t bytes, MemoryLimit limit) {
        if (bytes != unknown && bytes < result.bytes) {
            result.bytes = bytes;
            result.limit = limit;
        }
    };
    // MemAvailable, the kernel's estimate of what can be allocated without
    // swapping, in KiB.
    const std::optional<std::uint64_t> available =
        keyedNumber(root + "/proc/meminfo", "MemAvailable");
    if (available && *available < unknown / 1024) {
        consider(*available * 1024, MemoryLimit::AvailableMemory);
    }
    std::uint64_t virtualBytes = 0;
    std::uint64_t dataBytes = 0;
    if (!currentUsage(root, virtualBytes, dataBytes)) {
        virtualBytes = 0;
        dataBytes = 0;
    }
    consider(remainingUnder(RLIMIT_AS, virtualBytes), MemoryLimit::AddressSpace);
    consider(remainingUnder(RLIMIT_DATA, dataBytes), MemoryLimit::DataSize);
    consider(cgroupAvailableMemory(cgroupMembership(root), root), MemoryLimit::CgroupMemory);
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
