#pragma once

#include "chart/chart_plan.hpp"
#include "store/degree_codec.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace curtis {

// A directory of finished degrees, shared by any number of runs, at the same
// time too. Each file holds one degree of one key: three header lines naming
// the format, the program's version, the key and t, the payload's size and
// its checksum (CRC-32), then the payload. A degree file is written once,
// atomically, and the first of two runs that write the same one wins. A file
// that fails its checks, or holds another
// key, version or t, is never trusted: it is renamed aside (*.bad) with one
// warning, and the degree is computed again. A file that cannot be written
// gives one warning, the first time, and the run goes on without it.
class ChartCache {
public:
    // key: everything the data depends on besides t (the space, the band,
    // the options that add data). warnings: where the warnings go.
    ChartCache(std::string directory, std::string key, std::FILE* warnings);

    std::optional<CachedDegree> degree(std::int32_t t);
    void storeDegree(std::int32_t t, const CachedDegree& degree);

private:
    std::string path(std::int32_t t, const char* kind) const;
    std::string header(std::int32_t t, const char* kind) const;
    // The file's payload, its header checked.
    std::optional<std::string> readPayload(const std::string& file, std::int32_t t,
                                           const char* kind);
    // Writes a file through a temporary one; an earlier file stays.
    void writeFile(const std::string& file, const std::string& head, const std::string& payload);
    void setAside(const std::string& file, const std::string& why);
    void writeFailed(const std::string& file, int error);

    std::string directory_;
    std::string key_;
    std::string name_; // the files' common name, from the key
    std::FILE* warnings_;
    bool writeWarned_ = false;
};

// The keys of the degrees a plan keeps: everything their data depends on
// besides t. The chart's own degrees (the space, the band, the readings),
// and the sphere's degrees that the transfer reads (the sphere in the band
// one filtration higher, no readings).
std::string chartKey(const ChartPlan& plan);
std::string transferSphereKey(const ChartPlan& plan);

} // namespace curtis
