// The memory limits, read from a fixture root laid out as the kernel lays out
// /proc and /sys/fs/cgroup.
#include "support/system_root.hpp"
#include "system/cgroups.hpp"
#include "system/memory_limit.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace curtis {
namespace {

TEST(CgroupMemory, VersionTwoTakesTheTightestLimitUpTheTree) {
    const testing::SystemRoot root;
    // /a: 1000000 bytes, 400000 in use of which 100000 reclaimable page cache.
    root.write("sys/fs/cgroup/a/memory.max", "1000000\n");
    root.write("sys/fs/cgroup/a/memory.current", "400000\n");
    root.write("sys/fs/cgroup/a/memory.stat", "anon 300000\ninactive_file 100000\n");
    // /a/b: no limit of its own.
    root.write("sys/fs/cgroup/a/b/memory.max", "max\n");
    root.write("sys/fs/cgroup/a/b/memory.current", "200000\n");
    const std::string membership = "0::/a/b\n";
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 700000u);

    // A tighter limit below wins; usage beyond a limit leaves nothing.
    root.write("sys/fs/cgroup/a/b/memory.max", "250000\n");
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 50000u);
    root.write("sys/fs/cgroup/a/b/memory.current", "300000\n");
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 0u);

    // No limit anywhere, or no files at all.
    root.write("sys/fs/cgroup/a/memory.max", "max\n");
    root.write("sys/fs/cgroup/a/b/memory.max", "max\n");
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), UINT64_MAX);
    EXPECT_EQ(cgroupAvailableMemory("0::/\n", root.path() + "/nowhere"), UINT64_MAX);
}

TEST(CgroupMemory, VersionOneReadsTheMemoryController) {
    const testing::SystemRoot root;
    root.write("sys/fs/cgroup/memory/x/memory.limit_in_bytes", "2000000\n");
    root.write("sys/fs/cgroup/memory/x/memory.usage_in_bytes", "1500000\n");
    root.write("sys/fs/cgroup/memory/x/memory.stat", "cache 600000\ntotal_inactive_file 500000\n");
    // The root's "no limit", a huge number rounded to pages.
    root.write("sys/fs/cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n");
    root.write("sys/fs/cgroup/memory/memory.usage_in_bytes", "8000000000\n");
    const std::string membership = "9:name=systemd:/\n4:memory:/x\n1:cpu,cpuacct:/\n";
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 1000000u);
    // Controllers listed together are found as well.
    EXPECT_EQ(cgroupAvailableMemory("4:cpuset,memory:/x\n", root.path()), 1000000u);
    EXPECT_EQ(cgroupAvailableMemory("4:cpuset:/x\n", root.path()), UINT64_MAX);
}

// Files that are not in the kernel's form set no limit and throw nothing;
// a membership path never leads above the hierarchy's root.
TEST(CgroupMemory, BadFilesAndPathsSetNoLimit) {
    const testing::SystemRoot root;
    root.write("sys/fs/cgroup/memory.max", "5000\n");
    root.write("sys/fs/cgroup/memory.current", "1000\n");
    root.write("sys/fs/cgroup/a/memory.max", "-7\n");
    root.write("sys/fs/cgroup/a/memory.current", "12x\n");
    EXPECT_EQ(cgroupAvailableMemory("0::/a\n", root.path()), 4000u);
    // Above the root there is a limit the walk must not reach.
    root.write("sys/fs/memory.max", "10\n");
    root.write("sys/fs/memory.current", "0\n");
    for (const char* membership : {"0::/a/../..\n", "0::/../../a\n", "0::a/./..//\n"}) {
        EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 4000u) << membership;
    }
    root.write("proc/meminfo", "MemTotal: 9 kB\nMemAvailable: lots kB\n");
    root.write("proc/self/cgroup", "garbage\n0::/a\n");
    const ObtainableMemory obtainable = obtainableMemory(root.path());
    EXPECT_EQ(obtainable.limit, MemoryLimit::CgroupMemory);
    EXPECT_EQ(obtainable.bytes, 4000u);
    root.write("proc/meminfo", "MemAvailable:    3 kB\n");
    EXPECT_EQ(obtainableMemory(root.path()).bytes, 3072u);
    EXPECT_EQ(obtainableMemory(root.path()).limit, MemoryLimit::AvailableMemory);
}

TEST(CgroupPaths, AreNormalised) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/", "/"},         {"", "/"},          {"/a/b", "/a/b"},    {"/a/b/", "/a/b"},
        {"//a//b", "/a/b"}, {"/a/./b", "/a/b"}, {"/a/../b", "/b"},   {"/..", "/"},
        {"/../../x", "/x"}, {"a/..", "/"},      {"/a/b/../..", "/"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(normalisedCgroupPath(path), expected) << path;
    }
}

} // namespace
} // namespace curtis
