#pragma once

namespace curtis {

// The number of processors this process may run on: those in its affinity
// mask, and no more than its cgroup CPU quota allows (rounded up), if one is
// set. At least 1.
int availableProcessors();

} // namespace curtis
