#pragma once

#include "curtis_chart/degree_codec.hpp"
#include "elimination/generator_tables.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace curtis {

// A directory of finished degrees and checkpoints, shared by any number of
// runs, at the same time too. Each file holds one degree (or one checkpoint
// within a degree) of one key: three header lines naming the format, the
// program's version, the key and t, the payload's size and its checksums
// (CRC-32), then the payload. A degree file is written once, atomically, and
// the first of two runs that write the same one wins; a checkpoint replaces
// the one before, atomically. A file that fails its checks, or holds another
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

    // The checkpoint of degree t, its levels checked; its records are read
    // by fillRecords.
    std::optional<Checkpoint> checkpoint(std::int32_t t);
    // Reads the records of the checkpoint of degree t into records (count of
    // them, as many as it holds); false, setting the file aside, when they
    // are not there or fail their check.
    bool fillRecords(std::int32_t t, Record* records, std::int64_t count);
    // Saves the checkpoint with the records of `next`, replacing the one
    // before.
    void storeCheckpoint(std::int32_t t, const Checkpoint& checkpoint, const LevelTable& next);
    void dropCheckpoint(std::int32_t t);

private:
    std::string path(std::int32_t t, const char* kind) const;
    std::string header(std::int32_t t, const char* kind) const;
    // The file's payload, its header checked; records, if any, follow it.
    std::optional<std::string> readPayload(const std::string& file, std::int32_t t,
                                           const char* kind, std::uint64_t& records,
                                           std::uint32_t& recordsCrc);
    // Writes a file through a temporary one; replace: rename over an earlier
    // file, else the earlier file stays.
    void write(const std::string& file, const std::string& head, const std::string& payload,
               const LevelTable* records, bool replace);
    void setAside(const std::string& file, const std::string& why);
    void writeFailed(const std::string& file, int error);

    std::string directory_;
    std::string key_;
    std::string name_; // the files' common name, from the key
    std::FILE* warnings_;
    bool writeWarned_ = false;
};

} // namespace curtis
