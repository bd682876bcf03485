// End-to-end runs of the program at its edges: bad input, input that ends,
// storage that cannot be obtained or is outgrown, output that cannot be
// written. Every run has a time limit, so a hang fails its test.
#include "support/run_process.hpp"
#include "support/temporary_directory.hpp"
#include "table/computation.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace curtis {
namespace {

using testing::ProcessOptions;
using testing::ProcessResult;
using testing::runProcess;

const std::string weightPrompt = "Please input weight:\nw=";
const std::string degreePrompt = "\nPlease input total degree:\nt=";
const std::string notAnInteger =
    "Not an integer from -1000000000 to 1000000000! Please input again:\n";
const std::string notADegree = "Not an integer from 1 to 255! Please input again:\n";
const std::string keyPrompt = "Press any key to continue . . . \n";
const std::string allocationFailure = "Error: fail to allocate memory!\n";
const std::string dialogueDone = weightPrompt + degreePrompt + "\n\n";

ProcessResult run(const std::string& input, ProcessOptions options = {},
                  const char* program = CURTIS_EXECUTABLE) {
    options.input = input;
    options.timeoutSeconds = 60;
    ProcessResult result = runProcess(program, options);
    EXPECT_FALSE(result.timedOut) << input;
    return result;
}

ProcessResult runSeam(const std::string& input, std::vector<std::string> arguments) {
    ProcessOptions options;
    options.arguments = std::move(arguments);
    return run(input, options, CURTIS_SEAM_EXECUTABLE);
}

TEST(BadInput, RepliesThatAreNoIntegersAreAskedForAgain) {
    const ProcessResult result = run("abc\n1.5\n\n99999999999\n2\n x\n-2147483649\n3\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    // The empty line is no reply at all.
    const std::string expected = weightPrompt + notAnInteger + "w=" + notAnInteger +
                                 "w=" + notAnInteger + "w=" + degreePrompt + notADegree +
                                 "t=" + notADegree + "t=\n\n" +
                                 "homological degree s=1 (topological degree 2, coweight 0):\n";
    EXPECT_EQ(result.out.substr(0, expected.size()), expected);
    EXPECT_NE(result.out.find("Computation finished!"), std::string::npos);
}

TEST(BadInput, InputEndingBeforeBothNumbersStopsWithStatusOne) {
    const std::string message =
        "Error: standard input ended before the weight and the total degree were read.\n";
    struct Case {
        std::string input;
        std::string out;
    };
    for (const Case& c :
         {Case{"", weightPrompt + "\n"}, Case{"4\n", weightPrompt + degreePrompt + "\n"},
          Case{"x\n", weightPrompt + notAnInteger + "w=\n"},
          Case{"4\n0\n", weightPrompt + degreePrompt +
                             "Trivial for degree reasons! Please input again:\n"
                             "t=\n"},
          Case{"4\n1.5", weightPrompt + degreePrompt + notADegree + "t=\n"}}) {
        const ProcessResult result = run(c.input);
        EXPECT_EQ(result.exitStatus, 1) << c.input;
        EXPECT_EQ(result.out, c.out) << c.input;
        EXPECT_EQ(result.err, message) << c.input;
    }
    ProcessOptions closed;
    closed.closeInputEarly = true;
    const ProcessResult result = run("", closed);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, message);
}

TEST(BadInput, WeightsBeyondTheBoundAreAskedForAgain) {
    const std::string refusal =
        "The weight must lie between -1000000000 and 1000000000! Please input again:\n";
    const ProcessResult result = run("1000000001\n-2147483648\n-1000000000\n8\n");
    EXPECT_EQ(result.exitStatus, 0);
    const std::string expected = weightPrompt + refusal + "w=" + refusal + "w=" + degreePrompt +
                                 "\n\nhomological degree s=1 (topological degree 7, coweight "
                                 "1000000007):\n";
    EXPECT_EQ(result.out.substr(0, expected.size()), expected);
    const std::string last = "homological degree s=8 (topological degree 0, coweight "
                             "1000000000):\n";
    EXPECT_NE(result.out.find(last), std::string::npos);
}

TEST(BadInput, DegreesBeyondTheCountsAreAskedForAgain) {
    const std::string refusal = "Too large: the total degree can be at most 255, beyond it a word "
                                "has more entries than the program's words hold! Please input "
                                "again:\n";
    const ProcessResult result = run("0\n256\n2147483647\n-1\n1\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, weightPrompt + degreePrompt + refusal + "t=" + refusal +
                              "t=" + "Trivial for degree reasons! Please input again:\nt=\n\n" +
                              "homological degree s=1 (topological degree 0, coweight 0):\n0 \n" +
                              "\nComputation finished!\n\nPress any key to exit ...\n" + keyPrompt);
}

// What the computation holds (kept records, term sets) is compared with what
// the process can obtain as it grows: more stops the run with the figures
// "The computation needs N bytes of storage; the process can obtain M
// (limited by the <limit>).", N above M.
TEST(Storage, MoreThanCanBeObtainedStopsTheRun) {
    const ProcessResult result = runSeam("0\n20\n", {"--obtainable", "1000"});
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, dialogueDone + allocationFailure + keyPrompt);
    const std::string needs = "The computation needs ";
    ASSERT_EQ(result.err.substr(0, needs.size()), needs) << result.err;
    std::size_t digits = 0;
    const unsigned long long needed = std::stoull(result.err.substr(needs.size()), &digits);
    EXPECT_GT(needed, 1000u);
    EXPECT_EQ(result.err.substr(needs.size() + digits),
              " bytes of storage; the process can obtain 1000 (limited by the available "
              "memory).\n");
    // Without the comparison the same run finishes.
    const ProcessResult unchecked =
        runSeam("0\n20\n", {"--obtainable", "1000", "--no-memory-check"});
    EXPECT_EQ(unchecked.exitStatus, 0);
    EXPECT_EQ(unchecked.out, run("0\n20\n").out);
}

TEST(Storage, ABoundaryLargerThanTheTermSetStopsTheRun) {
    // The boundary of (4) has two terms.
    const ProcessResult result = runSeam("0\n5\n", {"--term-set-rows", "1"});
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, dialogueDone +
                              "Error: a boundary in homological degree 1 needs more rows than "
                              "the term set holds (1)!\n" +
                              keyPrompt);
}

TEST(Storage, AContradictedTableStopsTheRun) {
    // The sphere's Hit records from degree 6 on made Sources: the elimination
    // of a later degree meets one as a leading term.
    const ProcessResult result = runSeam("0\n12\n", {"--contradict-from", "6"});
    EXPECT_EQ(result.exitStatus, 255);
    const std::string message = "is the source of a pairing; the table is contradicted and the "
                                "computation cannot go on!\n";
    ASSERT_GE(result.out.size(), message.size() + keyPrompt.size());
    EXPECT_EQ(result.out.substr(result.out.size() - message.size() - keyPrompt.size()),
              message + keyPrompt);
    // The levels that do not wait for the contradicted step come first.
    EXPECT_EQ(result.out.substr(0, dialogueDone.size()), dialogueDone);
    EXPECT_NE(result.out.find("\nError: a leading term in homological degree "), std::string::npos)
        << result.out;
}

TEST(Output, AChartThatCannotBeWrittenIsAFailure) {
    // A device that is always full, made in the test's own directory.
    const testing::TemporaryDirectory directory;
    const std::filesystem::path device = directory / "full";
    if (mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "no device node can be made here (" << std::strerror(errno) << ")";
    }
    ProcessOptions full;
    full.outputPath = device;
    const ProcessResult result = run("0\n6\n", full);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err,
              "Error: cannot write the chart to standard output (No space left on device)!\n");
}

} // namespace
} // namespace curtis
