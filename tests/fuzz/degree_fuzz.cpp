// libFuzzer target: a degree read back from the cache, from any bytes (a
// whole cache file, its three header lines skipped, or a payload), its
// checksum bypassed. Decoding must give a degree or nothing; a decoded
// degree, stripped to a plan's readings, must be found sound or not, and a
// sound one must be written by every writer that reads references without
// reading outside it.
#include "chart/chart_check.hpp"
#include "picture/picture_writers.hpp"
#include "store/degree_codec.hpp"
#include "writers/writers.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.rfind("curtis-chart cache", 0) == 0) {
        for (int line = 0; line < 3; ++line) {
            const std::size_t end = bytes.find('\n');
            bytes = end == std::string::npos ? std::string() : bytes.substr(end + 1);
        }
    }
    const std::optional<curtis::CachedDegree> degree = curtis::decodeDegree(bytes);
    if (!degree) {
        return 0;
    }
    // The plan from the degree's own bytes: which readings, which space.
    const unsigned choice = size > 0 ? data[size - 1] : 0;
    curtis::PrintedChart chart;
    curtis::ChartPlan& plan = chart.plan;
    plan.space = (choice & 1) ? curtis::Space(1, std::nullopt) : curtis::Space::sphere();
    plan.degrees = curtis::DegreeRange{degree->degree.t, degree->degree.t};
    plan.readings.products = (choice & 2) != 0;
    plan.readings.transfer = (choice & 4) != 0;
    plan.readings.ehp = (choice & 8) != 0;
    plan.drawing.arrowsFromCellDifference = 1;
    chart.degrees.push_back(degree->degree);
    curtis::keepPlannedReadings(chart.degrees.back(), plan);
    if (curtis::firstUnsoundDegree(chart)) {
        return 0;
    }
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    if (out == nullptr) {
        return 0;
    }
    for (auto make : {curtis::makeJsonWriter, curtis::makeTsvWriter, curtis::makeSvgWriter}) {
        make(out)->end(chart);
    }
    std::fclose(out);
    std::free(text);
    return 0;
}
