#pragma once

#include <string>

namespace curtis {

// The number of processors this process may run on: those in its affinity
// mask, and no more than the CPU quota of its cgroup and of every cgroup
// above it allows (rounded up), if one is set. At least 1. root is "" on a
// running system (see system/cgroups.hpp); a quota file that is not in the
// kernel's form sets no quota.
int availableProcessors(const std::string& root = "");

// The processors the cgroup CPU quotas allow for the process whose
// /proc/self/cgroup reads `membership`, under root (v2: cpu.max, "max" or
// "<quota> <period>"; v1: cpu.cfs_quota_us and cpu.cfs_period_us of the cpu
// controller): the smallest, rounded up; 0 when no quota is set.
int cgroupProcessors(const std::string& membership, const std::string& root);

} // namespace curtis
