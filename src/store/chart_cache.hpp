#pragma once

#include "chart/chart_plan.hpp"
#include "store/degree_codec.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/stat.h>

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
    // trustShared: trust a directory and files that other users own or may
    // write (a directory shared on purpose); otherwise such a cache is not
    // used, with one warning.
    ChartCache(std::string directory, std::string key, std::FILE* warnings,
               bool trustShared = false);

    std::optional<CachedDegree> degree(std::int32_t t);
    // Sets degree t's file aside, with one warning that says why.
    void discardDegree(std::int32_t t, const std::string& why);
    void storeDegree(std::int32_t t, const CachedDegree& degree);

private:
    std::string path(std::int32_t t, const char* kind) const;
    std::string header(std::int32_t t, const char* kind) const;
    // The whole file, read through one descriptor that never blocks, if it
    // is a regular file this process may trust; status: what fstat said.
    std::optional<std::string> readFile(const std::string& file, struct stat& status);
    // The file's payload, its header checked.
    std::optional<std::string> readPayload(const std::string& file, std::int32_t t,
                                           const char* kind);
    // Writes a file through a temporary one; an earlier file stays.
    void writeFile(const std::string& file, const std::string& head, const std::string& payload);
    // Renames the file that was read (of that status) aside, if it is still
    // the one at its name, and says so in one warning.
    void setAside(const std::string& file, const struct stat& read, const std::string& why);
    void distrust(const std::string& what);
    void writeFailed(const std::string& file, int error);

    std::string directory_;
    std::string key_;
    std::string name_; // the files' common name, from the key
    std::FILE* warnings_;
    bool writeWarned_ = false;
    bool trustShared_ = false;
    bool distrusted_ = false; // the directory is not trusted: no reads, no writes
};

// The keys of the degrees a plan keeps: everything their data depends on
// besides t. The chart's own degrees (the space, the band, the readings),
// and the sphere's degrees that the transfer reads (the sphere in the band
// one filtration higher, no readings).
std::string chartKey(const ChartPlan& plan);
std::string transferSphereKey(const ChartPlan& plan);

} // namespace curtis
