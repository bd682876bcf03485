// End-to-end runs of the program at its edges: bad input, input that ends,
// storage that cannot be obtained or is outgrown, output that cannot be
// written. Every run has a time limit, so a hang fails its test.
#include "elimination/computation.hpp"
#include "support/run_process.hpp"
#include "support/temporary_directory.hpp"

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
const std::string notADegree = "Not an integer from 1 to 58! Please input again:\n";
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
    const std::string refusal = "Too large: the total degree can be at most 58, beyond it a level "
                                "has more generators than 32-bit records hold! Please input "
                                "again:\n";
    const ProcessResult result = run("0\n59\n2147483647\n-1\n1\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, weightPrompt + degreePrompt + refusal + "t=" + refusal +
                              "t=" + "Trivial for degree reasons! Please input again:\nt=\n\n" +
                              "homological degree s=1 (topological degree 0, coweight 0):\n0 \n" +
                              "\nComputation finished!\n\nPress any key to exit ...\n" + keyPrompt);
}

// The figures of a shortfall: "The computation needs N bytes of storage; the
// process can obtain M (limited by the <limit>).", with N those of the plan
// for one thread.
void expectShortfallFigures(const std::string& err, int t, const std::string& limit) {
    ComputationSettings one;
    one.threads = 1;
    const std::uint64_t needed = planStorage(t, one).totalBytes();
    const std::string needs = "The computation needs " + std::to_string(needed) +
                              " bytes of storage; the process can obtain ";
    ASSERT_EQ(err.substr(0, needs.size()), needs) << err;
    const std::string rest = err.substr(needs.size());
    std::size_t digits = 0;
    const unsigned long long obtainable = std::stoull(rest, &digits);
    EXPECT_LT(obtainable, needed);
    EXPECT_EQ(rest.substr(digits), " (limited by the " + limit + ").\n");
}

TEST(Storage, MoreThanCanBeObtainedFailsBeforeAllocating) {
    // Degree 56 needs 11.5 GB; the seam says the process can obtain 8 GB.
    const ProcessResult result = runSeam("0\n56\n", {"--obtainable", "8000000000"});
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, dialogueDone + allocationFailure + keyPrompt);
    expectShortfallFigures(result.err, 56, "available memory");
}

#ifndef CURTIS_SANITIZED
// The sanitizers reserve far more address space than any limit here allows.
TEST(Storage, AnAddressSpaceLimitIsRespected) {
    // Degree 50 needs about 1.2 GB.
    ProcessOptions limited;
    limited.addressSpaceLimit = 400ull << 20;
    const ProcessResult result = run("0\n50\n", limited);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, dialogueDone + allocationFailure + keyPrompt);
    expectShortfallFigures(result.err, 50, "address-space limit");
}

TEST(Storage, AFailedAllocationIsReportedAsTheSystemSaysIt) {
    ProcessOptions limited;
    limited.addressSpaceLimit = 400ull << 20;
    limited.arguments = {"--no-memory-check"};
    const ProcessResult result = run("0\n50\n", limited, CURTIS_SEAM_EXECUTABLE);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, dialogueDone + keyPrompt);
    EXPECT_EQ(result.err, "malloc: Cannot allocate memory\n");
}
#endif

TEST(Storage, ALevelLargerThanItsTableStopsTheRun) {
    // Level 2 of degree 6 has seven generators.
    const ProcessResult result = runSeam("0\n6\n", {"--capacity", "6"});
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, dialogueDone +
                              "homological degree s=1 (topological degree 5, coweight 5):\n\n" +
                              "Error: homological degree 3 has more generators than a level "
                              "table holds (6)!\n" +
                              keyPrompt);
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

TEST(Storage, ALeadingTermMissingFromTheNextLevelStopsTheRun) {
    // The boundary of (3) with weight 1 leads to (-1, 3), the last word of level 1.
    const ProcessResult result = runSeam("1\n5\n", {"--drop-from-level", "1"});
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, dialogueDone +
                              "Error: a leading term in homological degree 1 is not a generator "
                              "of degree 2; the computation cannot go on!\n" +
                              keyPrompt);
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
