// Where curtis-chart's output goes: files that appear only when complete,
// whatever ends the run, and targets that are written to, never replaced.
#include "io/output_file.hpp"
#include "support/chart_tool_process.hpp"
#include "support/run_process.hpp"
#include "support/temporary_directory.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace curtis {
namespace {

using testing::ProcessOptions;
using testing::ProcessResult;
using testing::runProcess;
using testing::TemporaryDirectory;

using testing::chartTool;
using testing::contents;

// A run of some seconds, ended by a signal while it computes: nothing is left
// beside the target, whichever signal it is, and the process ends by it.
TEST(OutputFile, ARunEndedBySignalsLeavesNoFile) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        TemporaryDirectory directory;
        ProcessOptions options;
        options.signal = signal;
        options.signalAfterSeconds = 0.3;
        const ProcessResult result = chartTool(
            {"--weight", "0", "--max-degree", "60", "--output", (directory / "chart.json")},
            options);
        EXPECT_EQ(result.termSignal, signal);
        EXPECT_TRUE(directory.files().empty()) << "signal " << signal;
    }
}

// Where no unnamed file can be had, the named temporary file goes on the
// same signals; the process still ends by the signal.
TEST(OutputFile, ANamedTemporaryFileIsRemovedOnSignals) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TemporaryDirectory directory;
        ProcessOptions options;
        options.arguments = {(directory / "chart.json"), "--wait"};
        options.signal = signal;
        options.signalAfterSeconds = 0.3;
        const ProcessResult result = runProcess(OUTPUT_FILE_SEAM_EXECUTABLE, options);
        EXPECT_EQ(result.termSignal, signal) << result.err;
        EXPECT_TRUE(directory.files().empty()) << "signal " << signal;
    }
    TemporaryDirectory directory;
    ProcessOptions options;
    options.arguments = {(directory / "chart.json")};
    EXPECT_EQ(runProcess(OUTPUT_FILE_SEAM_EXECUTABLE, options).exitStatus, 0);
    EXPECT_EQ(directory.files(), std::vector<std::string>{"chart.json"});
    EXPECT_EQ(contents(directory / "chart.json"), "complete\n");
}

// A named temporary file that a killed run left is swept by the next run
// that writes beside it.
TEST(OutputFile, TheNextRunSweepsWhatAKilledOneLeft) {
    TemporaryDirectory directory;
    ProcessOptions killed;
    killed.arguments = {(directory / "chart.json"), "--wait"};
    killed.signal = SIGKILL;
    killed.signalAfterSeconds = 0.3;
    EXPECT_EQ(runProcess(OUTPUT_FILE_SEAM_EXECUTABLE, killed).termSignal, SIGKILL);
    EXPECT_EQ(directory.files().size(), 1u) << "the named temporary file";
    ProcessOptions next;
    next.arguments = {(directory / "chart.json")};
    EXPECT_EQ(runProcess(OUTPUT_FILE_SEAM_EXECUTABLE, next).exitStatus, 0);
    EXPECT_EQ(directory.files(), std::vector<std::string>{"chart.json"});
}

// The dispositions of the signals come back exactly as they were, and one
// that was ignored (nohup) stays ignored while the named file waits.
TEST(OutputFile, SignalDispositionsAreKeptAndRestored) {
    struct sigaction saved[2];
    sigaction(SIGHUP, nullptr, &saved[0]);
    sigaction(SIGTERM, nullptr, &saved[1]);
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGTERM, SIG_DFL);
    const auto handler = [](int signal) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        return action.sa_handler;
    };
    TemporaryDirectory directory;
    {
        OutputFile output((directory / "chart.json"), OutputFile::Options{false});
        ASSERT_TRUE(output.namedTemporary());
        EXPECT_EQ(handler(SIGHUP), SIG_IGN);
        EXPECT_NE(handler(SIGTERM), SIG_DFL); // armed to remove the file
    }
    EXPECT_EQ(handler(SIGHUP), SIG_IGN);
    EXPECT_EQ(handler(SIGTERM), SIG_DFL);
    EXPECT_TRUE(directory.files().empty());
    sigaction(SIGHUP, &saved[0], nullptr);
    sigaction(SIGTERM, &saved[1], nullptr);
}

// An unnamed file that cannot be linked at commit is copied to a named one,
// which takes the target's name; nothing else is left.
TEST(OutputFile, AnUnnamedFileThatCannotBeLinkedIsCopied) {
    TemporaryDirectory directory;
    const std::string text(300000, 'x');
    OutputFile::Options options;
    options.linkAtCommit = false;
    OutputFile output((directory / "chart.txt"), options);
    ASSERT_TRUE(output.ok());
    if (output.namedTemporary()) {
        GTEST_SKIP() << "this filesystem has no unnamed files";
    }
    std::fputs(text.c_str(), output.stream());
    EXPECT_TRUE(directory.files().empty());
    ASSERT_TRUE(output.commit()) << output.error();
    EXPECT_EQ(directory.files(), std::vector<std::string>{"chart.txt"});
    EXPECT_EQ(contents(directory / "chart.txt"), text);
}

TEST(OutputFile, ALinkIsFollowedAndAFileKeepsItsMode) {
    TemporaryDirectory directory;
    const std::filesystem::path file = directory / "chart.txt";
    { std::ofstream(file) << "old\n"; }
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    std::filesystem::create_symlink("chart.txt", directory / "link");
    const std::string expected = chartTool({"--sphere", "--max-degree", "6"}).out;
    const ProcessResult written =
        chartTool({"--sphere", "--max-degree", "6", "--output", (directory / "link")});
    EXPECT_EQ(written.exitStatus, 0) << written.err;
    EXPECT_TRUE(std::filesystem::is_symlink(directory / "link"));
    EXPECT_EQ(contents(file), expected);
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(directory.files(), (std::vector<std::string>{"chart.txt", "link"}));
    // A dangling link gets the file it names.
    std::filesystem::create_symlink("new.txt", directory / "dangling");
    EXPECT_EQ(chartTool({"--sphere", "--max-degree", "6", "--output", (directory / "dangling")})
                  .exitStatus,
              0);
    EXPECT_EQ(contents(directory / "new.txt"), expected);
}

// A FIFO and a character device are written to, not replaced. The device
// is made in the test's own directory, never under /dev.
TEST(OutputFile, DevicesAndFifosAreWrittenToNotReplaced) {
    TemporaryDirectory directory;
    const std::filesystem::path fifo = directory / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string expected = chartTool({"--sphere", "--max-degree", "6"}).out;
    std::string read;
    std::thread reader([&] { read = contents(fifo); });
    EXPECT_EQ(chartTool({"--sphere", "--max-degree", "6", "--output", fifo}).exitStatus, 0);
    reader.join();
    EXPECT_EQ(read, expected);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    const std::filesystem::path full = directory / "full";
    if (mknod(full.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "no device node can be made here (" << std::strerror(errno)
                     << "); the device case is left out";
    }
    const ProcessResult refused = chartTool({"--sphere", "--max-degree", "6", "--output", full});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("No space left on device"), std::string::npos) << refused.err;
    EXPECT_TRUE(std::filesystem::is_character_file(full));
    EXPECT_EQ(directory.files(), (std::vector<std::string>{"fifo", "full"}));
}

// "-" is standard output. The names of the standard streams are told apart
// without opening anything (no test writes under /dev).
TEST(OutputFile, StandardOutputByItsNames) {
    const std::string expected = chartTool({"--sphere", "--max-degree", "6"}).out;
    const ProcessResult result = chartTool({"--sphere", "--max-degree", "6", "--output", "-"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, expected);

    EXPECT_EQ(standardStreamDescriptor("/dev/stdout"), 1);
    EXPECT_EQ(standardStreamDescriptor("/dev/stderr"), 2);
    EXPECT_EQ(standardStreamDescriptor("/dev/fd/0"), 0);
    EXPECT_EQ(standardStreamDescriptor("/dev/fd/17"), 17);
    for (const char* other : {"/dev/fd/", "/dev/fd/x", "/dev/fd/1x", "/dev/fd/-1", "/dev/stdoutx",
                              "dev/stdout", "/dev/null", "chart.json"}) {
        EXPECT_EQ(standardStreamDescriptor(other), -1) << other;
    }
}

} // namespace
} // namespace curtis
