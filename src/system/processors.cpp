#include "system/processors.hpp"

#include "system/cgroups.hpp"
#include "system/kernel_files.hpp"

#include <algorithm>
#include <optional>
#include <sched.h>
#include <vector>

namespace curtis {

namespace {

// Processors in the affinity mask, or 0 if it cannot be read.
int affinityProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) {
        return 0;
    }
    return CPU_COUNT(&set);
}

// The processors a quota of `quota` microseconds per `period` allows, rounded
// up; 0 when there is no quota.
int processorsForQuota(std::optional<std::uint64_t> quota, std::optional<std::uint64_t> period) {
    if (!quota || !period || *quota == 0 || *period == 0) {
        return 0;
    }
    const std::uint64_t processors = *quota / *period + (*quota % *period != 0 ? 1 : 0);
    return static_cast<int>(std::min<std::uint64_t>(processors, 1 << 20));
}

} // namespace

int cgroupProcessors(const std::string& membership, const std::string& root) {
    int result = 0;
    forEachCgroupDirectory(membership, root, "cpu", [&](const std::string& directory, int version) {
        int processors = 0;
        if (version == 2) {
            // "max 100000" or "<quota> <period>"; "max" and anything else
            // that is not two whole numbers set no quota.
            const std::vector<std::string> words = fileWords(directory + "/cpu.max", 3);
            if (words.size() == 2) {
                processors =
                    processorsForQuota(parseWholeNumber(words[0]), parseWholeNumber(words[1]));
            }
        } else {
            // -1 for no quota, which is not a whole number either.
            processors = processorsForQuota(fileNumber(directory + "/cpu.cfs_quota_us"),
                                            fileNumber(directory + "/cpu.cfs_period_us"));
        }
        if (processors > 0 && (result == 0 || processors < result)) {
            result = processors;
        }
    });
    return result;
}

int availableProcessors(const std::string& root) {
    int processors = affinityProcessors();
    const int quota = cgroupProcessors(cgroupMembership(root), root);
    if (quota > 0 && (processors == 0 || quota < processors)) {
        processors = quota;
    }
    return std::max(processors, 1);
}

} // namespace curtis
