#pragma once

#include "support/run_process.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace curtis::testing {

// curtis-chart run with these arguments (CURTIS_CHART_EXECUTABLE, from the
// build), with two minutes to finish.
inline ProcessResult chartTool(std::vector<std::string> arguments, ProcessOptions options = {}) {
    options.arguments = std::move(arguments);
    options.timeoutSeconds = 120;
    ProcessResult result = runProcess(CURTIS_CHART_EXECUTABLE, options);
    EXPECT_FALSE(result.timedOut);
    return result;
}

// A file's whole text.
inline std::string contents(const std::filesystem::path& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

} // namespace curtis::testing
