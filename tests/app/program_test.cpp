// End-to-end runs of the built program with piped input.
#include "support/run_process.hpp"

#include <gtest/gtest.h>

#include <string>

namespace curtis {
namespace {

using testing::ProcessOptions;
using testing::ProcessResult;
using testing::runProcess;

const std::string dialogue = "Please input weight:\nw=\nPlease input total degree:\nt=\n\n";
const std::string closing = "\nComputation finished!\n\nPress any key to exit ...\n"
                            "Press any key to continue . . . \n";

ProcessResult run(const std::string& input) {
    ProcessOptions options;
    options.input = input;
    options.timeoutSeconds = 60;
    return runProcess(CURTIS_EXECUTABLE, options);
}

TEST(Program, DegreeOneForSeveralWeights) {
    for (int w : {0, 1, -1, 7, -1000000000, 1000000000}) {
        const ProcessResult result = run(std::to_string(w) + "\n1\n");
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.err, "");
        const std::string cell = std::to_string(-w);
        EXPECT_EQ(result.out, dialogue + "homological degree s=1 (topological degree 0, coweight " +
                                  cell + "):\n" + cell + " \n" + closing)
            << "w " << w;
    }
}

TEST(Program, BothNumbersOnOneLine) {
    const ProcessResult one = run("0 6\n");
    const ProcessResult two = run("0\n6\n");
    EXPECT_EQ(one.exitStatus, 0);
    EXPECT_EQ(one.out, two.out);
    EXPECT_NE(one.out.find("homological degree s=6"), std::string::npos);
    const ProcessResult spaced = run(std::string(100, ' ') + "1\n" + std::string(100, ' ') + "5");
    EXPECT_EQ(spaced.out, run("1\n5\n").out);
}

TEST(Program, RefusesDegreesBelowOne) {
    const ProcessResult result = run("0\n0\n-2\n1\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "Please input weight:\nw=\nPlease input total degree:\nt="
                          "Trivial for degree reasons! Please input again:\nt="
                          "Trivial for degree reasons! Please input again:\nt=\n\n"
                          "homological degree s=1 (topological degree 0, coweight 0):\n0 \n" +
                              closing);
}

TEST(Program, OneSectionPerHomologicalDegree) {
    const ProcessResult result = run("2\n9\n");
    EXPECT_EQ(result.exitStatus, 0);
    std::string::size_type at = result.out.find("homological degree");
    for (int s = 1; s <= 9; ++s) {
        const std::string header = "homological degree s=" + std::to_string(s) +
                                   " (topological degree " + std::to_string(9 - s) + ", coweight " +
                                   std::to_string(6 - (s - 1)) + "):\n";
        ASSERT_EQ(result.out.compare(at, header.size(), header), 0) << header;
        at = result.out.find("homological degree", at + 1);
    }
    EXPECT_EQ(at, std::string::npos);
    // Sections are separated by one empty line; the last one ends the chart.
    EXPECT_NE(result.out.find(" \n\nhomological degree s=9"), std::string::npos);
    const std::string lastLevel = "homological degree s=9 (topological degree 0, coweight -2):\n";
    EXPECT_EQ(result.out.substr(result.out.rfind("homological"), lastLevel.size()), lastLevel);
    EXPECT_EQ(result.out.substr(result.out.size() - closing.size()), closing);
}

// Whole charts, byte for byte, for small weights and degrees.
TEST(Program, WholeCharts) {
    struct Case {
        const char* input;
        const char* chart;
    };
    const Case cases[] = {
        {"1\n5\n", "homological degree s=1 (topological degree 4, coweight 3):\n"
                   "\n"
                   "homological degree s=2 (topological degree 3, coweight 2):\n"
                   "-1 3 <-- 3 \n"
                   "\n"
                   "homological degree s=3 (topological degree 2, coweight 1):\n"
                   "1 0 0 <-- 2 0 \n"
                   "-1 1 1 <-- 1 1 \n"
                   "\n"
                   "homological degree s=4 (topological degree 1, coweight 0):\n"
                   "\n"
                   "homological degree s=5 (topological degree 0, coweight -1):\n"
                   "-1 0 0 0 0 <-- 0 0 0 0 \n"},
        {"1\n6\n", "homological degree s=1 (topological degree 5, coweight 4):\n"
                   "\n"
                   "homological degree s=2 (topological degree 4, coweight 3):\n"
                   "3 0 <-- 4 \n"
                   "2 1 \n"
                   "\n"
                   "homological degree s=3 (topological degree 3, coweight 2):\n"
                   "0 1 1 \n"
                   "-1 2 1 <-- 0 3 \n"
                   "\n"
                   "homological degree s=4 (topological degree 2, coweight 1):\n"
                   "1 0 0 0 <-- 2 0 0 \n"
                   "\n"
                   "homological degree s=5 (topological degree 1, coweight 0):\n"
                   "\n"
                   "homological degree s=6 (topological degree 0, coweight -1):\n"
                   "-1 0 0 0 0 0 <-- 0 0 0 0 0 \n"},
        {"0\n6\n", "homological degree s=1 (topological degree 5, coweight 5):\n"
                   "\n"
                   "homological degree s=2 (topological degree 4, coweight 4):\n"
                   "3 1 <-- 5 \n"
                   "1 3 \n"
                   "\n"
                   "homological degree s=3 (topological degree 3, coweight 3):\n"
                   "3 0 0 <-- 4 0 \n"
                   "1 1 1 \n"
                   "0 2 1 \n"
                   "\n"
                   "homological degree s=4 (topological degree 2, coweight 2):\n"
                   "\n"
                   "homological degree s=5 (topological degree 1, coweight 1):\n"
                   "1 0 0 0 0 <-- 2 0 0 0 \n"
                   "\n"
                   "homological degree s=6 (topological degree 0, coweight 0):\n"
                   "0 0 0 0 0 0 \n"},
    };
    for (const Case& c : cases) {
        const ProcessResult result = run(c.input);
        EXPECT_EQ(result.exitStatus, 0) << c.input;
        EXPECT_EQ(result.out, dialogue + c.chart + closing) << c.input;
    }
}

} // namespace
} // namespace curtis
