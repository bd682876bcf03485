// The cgroup memory limits, read from fixture directories laid out as the
// kernel lays out /sys/fs/cgroup.
#include "elimination/memory_limit.hpp"
#include "support/temporary_directory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace curtis {
namespace {

void write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

TEST(CgroupMemory, VersionTwoTakesTheTightestLimitUpTheTree) {
    const testing::TemporaryDirectory root;
    // /a: 1000000 bytes, 400000 in use of which 100000 reclaimable page cache.
    write(root / "a/memory.max", "1000000\n");
    write(root / "a/memory.current", "400000\n");
    write(root / "a/memory.stat", "anon 300000\ninactive_file 100000\nactive_file 0\n");
    // /a/b: no limit of its own.
    write(root / "a/b/memory.max", "max\n");
    write(root / "a/b/memory.current", "200000\n");
    const std::string membership = "0::/a/b\n";
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 700000u);

    // A tighter limit below wins; usage beyond a limit leaves nothing.
    write(root / "a/b/memory.max", "250000\n");
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 50000u);
    write(root / "a/b/memory.current", "300000\n");
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 0u);

    // No limit anywhere, or no files at all.
    write(root / "a/memory.max", "max\n");
    write(root / "a/b/memory.max", "max\n");
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), UINT64_MAX);
    EXPECT_EQ(cgroupAvailableMemory("0::/\n", (root / "nowhere").string()), UINT64_MAX);
}

TEST(CgroupMemory, VersionOneReadsTheMemoryController) {
    const testing::TemporaryDirectory root;
    write(root / "memory/x/memory.limit_in_bytes", "2000000\n");
    write(root / "memory/x/memory.usage_in_bytes", "1500000\n");
    write(root / "memory/x/memory.stat", "cache 600000\ntotal_inactive_file 500000\n");
    // The root's "no limit", a huge number rounded to pages.
    write(root / "memory/memory.limit_in_bytes", "9223372036854771712\n");
    write(root / "memory/memory.usage_in_bytes", "8000000000\n");
    const std::string membership = "9:name=systemd:/\n4:memory:/x\n1:cpu,cpuacct:/\n0::/\n";
    EXPECT_EQ(cgroupAvailableMemory(membership, root.path()), 1000000u);
    // Controllers listed together are found as well.
    EXPECT_EQ(cgroupAvailableMemory("4:cpuset,memory:/x\n", root.path()), 1000000u);
    EXPECT_EQ(cgroupAvailableMemory("4:cpuset:/x\n", root.path()), UINT64_MAX);
}

} // namespace
} // namespace curtis
