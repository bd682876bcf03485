// The CPU quotas, read from a fixture root with the same walk up the cgroup
// tree as the memory limits.
#include "support/system_root.hpp"
#include "system/processors.hpp"

#include <gtest/gtest.h>

namespace curtis {
namespace {

TEST(CgroupProcessors, QuotasRoundUpAndTheTightestHolds) {
    const testing::SystemRoot root;
    const std::string cpu = "sys/fs/cgroup/";
    root.write(cpu + "a/cpu.max", "250000 100000\n"); // 2.5 processors: 3
    root.write(cpu + "a/b/cpu.max", "max 100000\n");
    EXPECT_EQ(cgroupProcessors("0::/a/b\n", root.path()), 3);
    root.write(cpu + "cpu.max", "100000 100000\n"); // the root's quota, tighter
    EXPECT_EQ(cgroupProcessors("0::/a/b\n", root.path()), 1);
    // v1, under the name of the controller list, or the controller's own.
    root.write(cpu + "cpu,cpuacct/x/cpu.cfs_quota_us", "300000\n");
    root.write(cpu + "cpu,cpuacct/x/cpu.cfs_period_us", "100000\n");
    root.write(cpu + "cpu,cpuacct/cpu.cfs_quota_us", "-1\n");
    root.write(cpu + "cpu,cpuacct/cpu.cfs_period_us", "100000\n");
    EXPECT_EQ(cgroupProcessors("3:cpu,cpuacct:/x\n", root.path()), 3);
    root.write(cpu + "cpu/y/cpu.cfs_quota_us", "50000\n");
    root.write(cpu + "cpu/y/cpu.cfs_period_us", "100000\n");
    EXPECT_EQ(cgroupProcessors("3:cpu:/y\n", root.path()), 1);
    EXPECT_EQ(cgroupProcessors("3:memory:/y\n", root.path()), 0);
}

// A quota file not in the kernel's form sets no quota and throws nothing.
TEST(CgroupProcessors, MalformedQuotasSetNone) {
    for (const char* text :
         {"abc 100000\n", "1e999 100000\n", "100000\n", "100000 0\n", "-5 100000\n",
          "100000 100000 7\n", "", "99999999999999999999999 1\n"}) {
        const testing::SystemRoot root;
        root.write("sys/fs/cgroup/a/cpu.max", text);
        root.write("proc/self/cgroup", "0::/a\n");
        EXPECT_EQ(cgroupProcessors("0::/a\n", root.path()), 0) << text;
        EXPECT_GE(availableProcessors(root.path()), 1) << text;
    }
}

} // namespace
} // namespace curtis
