#include "io/atomic_file.hpp"
#include "support/temporary_directory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace curtis {
namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The first writer wins, the file's mode is what the umask allows, and
// nothing else is left in the directory.
TEST(AtomicFile, TheFirstWriterWinsUnderTheUmask) {
    const testing::TemporaryDirectory directory;
    const std::string path = (directory / "degree").string();
    const mode_t mask = umask(027);
    EXPECT_EQ(createFileAtomically(path, "first", 0666), 0);
    EXPECT_EQ(createFileAtomically(path, "second", 0666), 0);
    umask(mask);
    EXPECT_EQ(contents(path), "first");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.path()), {}), 1);
    EXPECT_NE(createFileAtomically((directory / "no" / "such").string(), "x"), 0);
}

// The sweep removes this host's temporary files whose process is gone or
// whose boot is over, and leaves a living process's and another host's.
TEST(AtomicFile, TheSweepRemovesOnlyWhatThisHostLeft) {
    const testing::TemporaryDirectory directory;
    const std::string base = (directory / "degree").string();
    const std::string ours = temporaryName(base); // base.tmp-HOST-BOOT-PID-START
    const std::string tail = ours.substr(base.size() + 5);
    const std::size_t boot = tail.find('-');
    ASSERT_NE(boot, std::string::npos);
    const std::string host = tail.substr(0, boot);
    const std::string rest = tail.substr(boot + 1); // BOOT-PID-START
    const std::size_t pid = rest.find('-');
    const std::string bootId = rest.substr(0, pid);
    const std::string start = rest.substr(rest.find('-', pid + 1) + 1);
    const struct {
        std::string name;
        bool stays;
    } cases[] = {
        {ours, true},
        {base + ".tmp-" + host + "-" + bootId + "-999999999-" + start, false},
        {base + ".tmp-" + host + "-" + bootId + "-1-" + start + "9", false},
        {base + ".tmp-" + host + "-0ld8oot0-" + rest.substr(pid + 1), false},
        {base + ".tmp-another_host-" + rest, true},
        {base + ".tmp-" + host + "-" + bootId + "-notapid-1", true},
        {base, true},
    };
    for (const auto& c : cases) {
        std::ofstream(c.name) << "x";
    }
    sweepStaleTemporaries(directory.path().string());
    for (const auto& c : cases) {
        EXPECT_EQ(std::filesystem::exists(c.name), c.stays) << c.name;
    }
}

} // namespace
} // namespace curtis
