// libFuzzer target: curtis-chart's command line from any bytes, split into
// arguments at NUL bytes. Parsing must end with one of its three outcomes,
// and options it accepts must lie in range.
#include "chart_tool/options.hpp"
#include "table/computation.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments{"curtis-chart"};
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty()) {
        arguments.push_back(current);
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    char* written = nullptr;
    std::size_t writtenSize = 0;
    std::FILE* out = open_memstream(&written, &writtenSize);
    if (out == nullptr) {
        return 0;
    }
    curtis::ChartPlan plan;
    const curtis::ParseOutcome outcome =
        curtis::parseChartOptions(static_cast<int>(argv.size()), argv.data(), plan, out, out);
    const curtis::Space& space = plan.space;
    if (outcome == curtis::ParseOutcome::Run &&
        (plan.degrees.first < 1 || plan.degrees.first > plan.degrees.last ||
         plan.degrees.last > curtis::maxTotalDegree ||
         space.weight() < -curtis::maxWeightMagnitude ||
         space.weight() > curtis::maxWeightMagnitude ||
         (space.topCell() && *space.topCell() < space.bottomCell()))) {
        std::abort(); // accepted out of range
    }
    std::fclose(out);
    std::free(written);
    return 0;
}
