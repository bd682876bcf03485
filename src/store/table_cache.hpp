#pragma once

#include "table/table_store.hpp"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace curtis {

// A directory of finished degrees of tables, shared by any number of runs,
// at the same time too, and by every space: the sphere's degrees serve them
// all. Each file holds one degree of one table with a number of final
// levels: three header lines naming the format, the table, t and the final
// levels, the payload's size and its checksum (CRC-32), then the payload. A
// degree file is written once, atomically, and the first of two runs that
// write the same one wins. A band's file serves every narrower band, and a
// wider band or the whole degree goes on from it.
//
// Nothing read is trusted: a file that is not a regular file of this user,
// fails its checks, holds another table, band, degree or format, claims more
// than its degree can hold, or whose records are not those of the table's
// lower degrees, is renamed aside (*.bad) with one warning, and the degree
// computed again; only that file, never one another run put in its place. A
// shortage of descriptors or memory while reading is no fault of a file: one
// warning, and the run goes on without the cache. A directory, or one above
// it, that others may write (but for a sticky one) is not trusted. A file that cannot be written
// gives one warning, the first time, and the run goes on without it.
class TableCache : public TableStore {
public:
    // warnings: where the warnings go. trustShared: trust a directory and
    // files that other users own or may write (a directory shared on
    // purpose); otherwise such a cache is not used, with one warning.
    TableCache(std::string directory, std::FILE* warnings, bool trustShared = false);

    bool mayHold(const TableName& name, std::int32_t t) override;
    int load(CurtisTable& table, const TableName& name, std::int32_t t, int finalLevels) override;
    void save(const CurtisTable& table, const TableName& name, std::int32_t t,
              int finalLevels) override;

    // The file of degree t of a table with finalLevels final levels.
    std::string path(const TableName& name, std::int32_t t, int finalLevels) const;

private:
    std::string header(const TableName& name, std::int32_t t, int finalLevels) const;
    // The first line of the payload: the table, its band and the format.
    std::string identity(const TableName& name, std::int32_t t, int finalLevels) const;
    // The payload of a file whose first two lines must be `header`, read
    // through one descriptor that never blocks, if it is a regular file this
    // process may trust, of at most `largest` bytes, and its checksum holds;
    // status: what fstat said.
    std::optional<std::string> readPayload(const std::string& file, const std::string& header,
                                           std::uint64_t largest, struct stat& status);
    // What the header of an open file claims: its payload's size and
    // checksum, and where the payload starts.
    struct Claim {
        std::uint64_t size = 0;
        unsigned crc = 0;
        std::size_t at = 0;
    };
    // The claim of the file open at fd, held against the file's size and
    // `largest` before anything else is read, so that a sparse or huge file
    // costs nothing; nothing, with the file set aside or the shortage noted,
    // when it cannot stand.
    std::optional<Claim> claimOf(int fd, const std::string& file, const std::string& header,
                                 std::uint64_t largest, const struct stat& status);
    // The payload a claim describes, read whole and held against its
    // checksum, which covers the header's first two lines too.
    std::optional<std::string> payloadOf(int fd, const std::string& file, const std::string& header,
                                         const Claim& claim, const struct stat& status);
    // Degree t from the file that holds it with `stored` final levels, if it
    // is sound: the final levels given, or 0.
    int loadFrom(CurtisTable& table, const TableName& name, std::int32_t t, int stored,
                 int finalLevels);
    // Renames the file that was read (of that status) aside, if it is still
    // the one at its name, and (if say) says so in one warning.
    void setAside(const std::string& file, const struct stat& read, const std::string& why,
                  bool say = true);
    void distrust(const std::string& what);
    // The system is short of descriptors or memory (error): the files are
    // not at fault; one warning, and the cache is not used any more.
    void shortOf(int error);
    void writeFailed(const std::string& file, int error);

    std::string directory_;
    std::FILE* warnings_;
    bool trustShared_ = false;
    std::atomic<bool> writeWarned_{false};
    std::atomic<bool> distrustWarned_{false};
    std::atomic<bool> shortWarned_{false};
    std::atomic<bool> formatWarned_{false};
    std::atomic<bool> distrusted_{false}; // the directory is not trusted: no reads, no writes
};

} // namespace curtis
