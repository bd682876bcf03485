#include "elimination/processors.hpp"

#include "elimination/cgroups.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sched.h>
#include <string>

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
int processorsForQuota(double quota, double period) {
    if (quota <= 0 || period <= 0) {
        return 0;
    }
    return std::max(1, static_cast<int>(std::ceil(quota / period)));
}

// cgroup v2: "max 100000" or "<quota> <period>" in cpu.max, for this cgroup
// and each of its ancestors; the smallest limit holds.
int cgroupV2Processors(const std::string& path) {
    int result = 0;
    std::string directory = path;
    for (;;) {
        std::ifstream file("/sys/fs/cgroup" + directory + "/cpu.max");
        std::string quota;
        double period = 0;
        if (file >> quota >> period && quota != "max") {
            const int processors = processorsForQuota(std::stod(quota), period);
            if (processors > 0 && (result == 0 || processors < result)) {
                result = processors;
            }
        }
        if (directory.empty() || directory == "/") {
            return result;
        }
        const std::size_t slash = directory.find_last_of('/');
        directory = slash == 0 || slash == std::string::npos ? "/" : directory.substr(0, slash);
    }
}

// cgroup v1: cpu.cfs_quota_us and cpu.cfs_period_us of the cpu controller.
int cgroupV1Processors(const std::string& path) {
    for (const std::string mount : {"/sys/fs/cgroup/cpu,cpuacct", "/sys/fs/cgroup/cpu"}) {
        for (const std::string& directory : {mount + path, mount}) {
            std::ifstream quotaFile(directory + "/cpu.cfs_quota_us");
            std::ifstream periodFile(directory + "/cpu.cfs_period_us");
            double quota = 0;
            double period = 0;
            if (quotaFile >> quota && periodFile >> period) {
                return processorsForQuota(quota, period);
            }
        }
    }
    return 0;
}

// The processors the cgroup CPU quota allows, or 0 when there is none.
int cgroupProcessors() {
    int result = 0;
    forEachCgroup(cgroupMembership(),
                  [&result](const std::string& hierarchy, const std::string& controllers,
                            const std::string& path) {
                      int processors = 0;
                      if (hierarchy == "0" && controllers.empty()) {
                          processors = cgroupV2Processors(path);
                      } else if (hasController(controllers, "cpu")) {
                          processors = cgroupV1Processors(path);
                      }
                      if (processors > 0 && (result == 0 || processors < result)) {
                          result = processors;
                      }
                  });
    return result;
}

} // namespace

int availableProcessors() {
    int processors = affinityProcessors();
    const int quota = cgroupProcessors();
    if (quota > 0 && (processors == 0 || quota < processors)) {
        processors = quota;
    }
    return std::max(processors, 1);
}

} // namespace curtis
