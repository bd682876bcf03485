#pragma once

#include <cstdint>

namespace curtis {

// The number of bytes this process can still expect to obtain: the smallest
// of the memory the system reports as available and what remains under the
// process's address-space and data-size limits. UINT64_MAX when none of them
// is known or limited.
std::uint64_t obtainableBytes();

} // namespace curtis
