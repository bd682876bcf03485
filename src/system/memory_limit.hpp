#pragma once

#include <cstdint>
#include <string>

namespace curtis {

// What sets the memory a process can still obtain.
enum class MemoryLimit {
    None,            // nothing is known or limited
    AvailableMemory, // the memory the system reports as available
    AddressSpace,    // the address-space limit (ulimit -v)
    DataSize,        // the data-size limit (ulimit -d)
    CgroupMemory,    // the memory limit of the process's cgroup or one above it
};

struct ObtainableMemory {
    std::uint64_t bytes = UINT64_MAX;
    MemoryLimit limit = MemoryLimit::None;
};

// The number of bytes this process can still expect to obtain: the smallest
// of the memory the system reports as available (MemAvailable in
// root/proc/meminfo), what remains under the process's address-space and
// data-size limits, and what remains under the memory limit of its cgroup
// and of each cgroup above it, with the one that set it. root is "" on a
// running system (see system/cgroups.hpp). A file that cannot be read or is
// not in the kernel's form sets no limit.
ObtainableMemory obtainableMemory(const std::string& root = "");

// What remains under the cgroup memory limits of the process whose
// /proc/self/cgroup reads `membership`, under root: for the process's cgroup
// and each of its ancestors, the limit less the usage (v2: memory.max and
// memory.current; v1: memory.limit_in_bytes and memory.usage_in_bytes of the
// memory controller), the page cache the kernel can reclaim (inactive_file in
// memory.stat) counted as available; the smallest of these. UINT64_MAX when
// no limit is set.
std::uint64_t cgroupAvailableMemory(const std::string& membership, const std::string& root);

// "available memory", "address-space limit", "data-size limit",
// "cgroup memory limit" or "no limit".
const char* describe(MemoryLimit limit);

} // namespace curtis
