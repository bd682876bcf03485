#pragma once

#include <cstdint>

namespace curtis {

// What sets the memory a process can still obtain.
enum class MemoryLimit {
    None,            // nothing is known or limited
    AvailableMemory, // the memory the system reports as available
    AddressSpace,    // the address-space limit (ulimit -v)
    DataSize,        // the data-size limit (ulimit -d)
};

struct ObtainableMemory {
    std::uint64_t bytes = UINT64_MAX;
    MemoryLimit limit = MemoryLimit::None;
};

// The number of bytes this process can still expect to obtain: the smallest
// of the memory the system reports as available and what remains under the
// process's address-space and data-size limits, with the one that set it.
ObtainableMemory obtainableMemory();

// "available memory", "address-space limit", "data-size limit" or "no limit".
const char* describe(MemoryLimit limit);

} // namespace curtis
