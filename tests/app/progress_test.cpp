// The progress line: on a terminal while the computation runs, erased before
// the chart's closing lines; never on a pipe; the chart the same either way.
#include "support/run_process.hpp"

#include <gtest/gtest.h>

#include <string>

namespace curtis {
namespace {

using testing::ProcessOptions;
using testing::ProcessResult;
using testing::runProcess;

ProcessResult run(const std::string& input, bool terminal) {
    ProcessOptions options;
    options.input = input;
    options.timeoutSeconds = 120;
    options.errorOnTerminal = terminal;
    ProcessResult result = runProcess(CURTIS_EXECUTABLE, options);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0);
    return result;
}

TEST(Progress, ShownOnATerminalAndErasedNeverOnAPipe) {
    const ProcessResult piped = run("0\n50\n", false);
    const ProcessResult shown = run("0\n50\n", true);
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(shown.out, piped.out);

    const std::string erase = "\r\033[K";
    // Each line names a level, of the sphere's tables or of the degree
    // asked for, and how far it is.
    EXPECT_TRUE(shown.err.rfind("\rdegree s=", 0) == 0 ||
                shown.err.rfind("\rthe sphere's t=", 0) == 0)
        << shown.err;
    EXPECT_NE(shown.err.find(" of 50: "), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find(", 0:00:00 elapsed\033[K"), std::string::npos) << shown.err;
    // The line is rewritten in place, never erased while the chart goes to
    // a pipe: only at the end, which is the last thing written.
    EXPECT_EQ(shown.err.find('\n'), std::string::npos);
    ASSERT_GE(shown.err.size(), erase.size());
    EXPECT_EQ(shown.err.find(erase), shown.err.size() - erase.size());
}

TEST(Progress, NothingOnATerminalWhenTheInputEndsEarly) {
    ProcessOptions options;
    options.input = "0\n";
    options.errorOnTerminal = true;
    const ProcessResult result = runProcess(CURTIS_EXECUTABLE, options);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err.find("degree s="), std::string::npos);
}

} // namespace
} // namespace curtis
