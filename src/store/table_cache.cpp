#include "store/table_cache.hpp"

#include "io/atomic_file.hpp"
#include "store/table_codec.hpp"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace curtis {

namespace {

const std::string formatLine = "curtis-chart tables, format " + std::to_string(tableFormat) + "\n";

std::uint32_t crcOf(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const Bytef*>(data);
    while (size > 0) {
        const uInt part = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        crc = static_cast<std::uint32_t>(crc32(crc, bytes, part));
        bytes += part;
        size -= part;
    }
    return crc;
}

char hexDigit(unsigned value) {
    return "0123456789abcdef"[value & 15];
}

std::string hex(std::uint32_t value) {
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4) {
        text[static_cast<std::size_t>(i)] = hexDigit(value);
    }
    return text;
}

// The largest cache file read: far above any degree of a table this program
// computes, far below what would strain the machine.
constexpr off_t largestFile = off_t{1} << 32;

// Closes a descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Whether this process may trust what a file or directory of this status
// holds: it belongs to this user (or to root), and only its owner may write
// it.
bool trustworthy(const struct stat& status) {
    return (status.st_uid == geteuid() || status.st_uid == 0) &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The next line of text from `at`, newline included, of at most 4096
// characters; empty if there is none.
std::string nextLine(const std::string& text, std::size_t& at) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos || end - at >= 4096) {
        return "";
    }
    std::string line = text.substr(at, end + 1 - at);
    at = end + 1;
    return line;
}

} // namespace

TableCache::TableCache(std::string directory, std::FILE* warnings, bool trustShared)
    : directory_(std::move(directory)), warnings_(warnings), trustShared_(trustShared) {
    // Nobody but its owner may write the cache, whatever the umask allows:
    // others could not trust it.
    mkdir(directory_.c_str(), 0755); // it may be there already
    struct stat status {};
    if (stat(directory_.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return; // every write will say why
    }
    if (!trustShared_ && !trustworthy(status)) {
        distrust(directory_);
        return;
    }
    sweepStaleTemporaries(directory_);
}

void TableCache::distrust(const std::string& what) {
    if (!distrustWarned_.exchange(true)) {
        std::fprintf(warnings_,
                     "curtis-chart: warning: %s is not trusted: another user owns it, or group "
                     "or others may write it; the run goes on without the cache "
                     "(--trust-cache trusts a directory shared on purpose)\n",
                     what.c_str());
    }
    distrusted_ = true;
}

namespace {

// A table's part of its files' names: a space's top cell at or above t - 1
// is never reached, and such a space's degree t is that of P_{-w}.
std::string tableKey(const TableName& name, std::int32_t t) {
    if (name.sphere) {
        return "sphere";
    }
    const bool top = name.topCellOffset != noTopCell && name.topCellOffset < t - 1;
    return "space-w" + std::to_string(name.w) +
           (top ? "-top" + std::to_string(name.topCellOffset) : std::string("-up"));
}

} // namespace

std::string TableCache::path(const TableName& name, std::int32_t t, int finalLevels) const {
    return directory_ + "/" + tableKey(name, t) + "-t" + std::to_string(t) + "-f" +
           std::to_string(finalLevels) + ".table";
}

std::string TableCache::header(const TableName& name, std::int32_t t, int finalLevels) const {
    return formatLine + "table " + tableKey(name, t) + "; t " + std::to_string(t) +
           "; final levels " + std::to_string(finalLevels) + "\n";
}

void TableCache::setAside(const std::string& file, const struct stat& read,
                          const std::string& why) {
    const std::string aside = file + ".bad";
    // Only the file that was read: another run may have put a sound one in
    // its place meanwhile.
    struct stat now {};
    std::string outcome;
    if (lstat(file.c_str(), &now) != 0 || now.st_dev != read.st_dev || now.st_ino != read.st_ino) {
        outcome = "another file has taken its place";
    } else if (std::rename(file.c_str(), aside.c_str()) != 0) {
        outcome = std::string("it could not be set aside (") + std::strerror(errno) + ")";
    } else {
        outcome = "set aside as " + aside;
    }
    std::fprintf(warnings_, "curtis-chart: warning: %s %s; %s, and computed again\n", file.c_str(),
                 why.c_str(), outcome.c_str());
}

void TableCache::writeFailed(const std::string& file, int error) {
    if (!writeWarned_.exchange(true)) {
        std::fprintf(warnings_,
                     "curtis-chart: warning: cannot write %s (%s); the run goes on, and further "
                     "cache files it cannot write are not reported\n",
                     file.c_str(), std::strerror(error));
    }
}

std::optional<std::string> TableCache::readFile(const std::string& file, struct stat& status) {
    const Descriptor fd(open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0 && errno == ENOENT) {
        return std::nullopt; // not there: nothing to say
    }
    if (fd.get() < 0 && lstat(file.c_str(), &status) == 0) {
        setAside(file, status, std::string("cannot be read (") + std::strerror(errno) + ")");
        return std::nullopt;
    }
    if (fd.get() < 0 || fstat(fd.get(), &status) != 0) {
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        setAside(file, status, "is not a regular file");
        return std::nullopt;
    }
    if (!trustShared_ && !trustworthy(status)) {
        distrust(file);
        return std::nullopt;
    }
    if (status.st_size > largestFile) {
        setAside(file, status, "is larger than any table file");
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t part = read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (part < 0 && errno == EINTR) {
            continue;
        }
        if (part <= 0) {
            setAside(file, status, "changed while it was read");
            return std::nullopt;
        }
        got += static_cast<std::size_t>(part);
    }
    return bytes;
}

std::optional<std::string> TableCache::readPayload(const std::string& file,
                                                   const std::string& header, struct stat& status) {
    const std::optional<std::string> bytes = readFile(file, status);
    if (!bytes) {
        return std::nullopt;
    }
    std::size_t at = 0;
    const std::string format = nextLine(*bytes, at);
    const std::string key = nextLine(*bytes, at);
    const std::string sizes = nextLine(*bytes, at);
    if (format.empty() || key.empty() || sizes.empty()) {
        setAside(file, status, "has no complete header");
        return std::nullopt;
    }
    if (format + key != header) {
        setAside(file, status, "belongs to another format, table or degree");
        return std::nullopt;
    }
    // The payload fills the rest of the file exactly.
    unsigned long long payloadSize = 0;
    unsigned payloadCrc = 0;
    char end = 0;
    if (std::sscanf(sizes.c_str(), "payload %llu crc32 %8x%c", &payloadSize, &payloadCrc, &end) !=
            3 ||
        end != '\n') {
        setAside(file, status, "has a damaged header");
        return std::nullopt;
    }
    if (payloadSize != bytes->size() - at) {
        setAside(file, status, "has the wrong size");
        return std::nullopt;
    }
    std::string payload = bytes->substr(at);
    if (crcOf(0, payload.data(), payload.size()) != payloadCrc) {
        setAside(file, status, "fails its checksum");
        return std::nullopt;
    }
    return payload;
}

bool TableCache::mayHold(const TableName& name, std::int32_t t) {
    if (distrusted_) {
        return false;
    }
    for (int stored = 1; stored <= t; ++stored) {
        struct stat status {};
        if (lstat(path(name, t, stored).c_str(), &status) == 0) {
            return true;
        }
    }
    return false;
}

int TableCache::loadFrom(CurtisTable& table, const TableName& name, std::int32_t t, int stored,
                         int finalLevels) {
    const std::string file = path(name, t, stored);
    struct stat status {};
    const std::optional<std::string> payload = readPayload(file, header(name, t, stored), status);
    if (!payload) {
        return 0;
    }
    const int given = std::min(stored, finalLevels);
    std::string why;
    std::optional<std::vector<LevelRecords>> levels =
        decodeTableDegree(*payload, t, stored, given, why);
    if (levels) {
        why = checkTableDegree(table, name, t, given, *levels);
    }
    if (!why.empty()) {
        setAside(file, status, why);
        return 0;
    }
    installTableDegree(table, t, std::move(*levels));
    return given;
}

int TableCache::load(CurtisTable& table, const TableName& name, std::int32_t t, int finalLevels) {
    // The degree as asked for, then a wider band's, then the widest
    // narrower band's to go on from.
    std::vector<int> order;
    for (int stored = finalLevels; stored <= t; ++stored) {
        order.push_back(stored);
    }
    for (int stored = finalLevels - 1; stored >= 1; --stored) {
        order.push_back(stored);
    }
    for (const int stored : order) {
        struct stat status {};
        if (distrusted_ || lstat(path(name, t, stored).c_str(), &status) != 0) {
            continue;
        }
        if (const int given = loadFrom(table, name, t, stored, finalLevels); given > 0) {
            return given;
        }
    }
    return 0;
}

void TableCache::save(const CurtisTable& table, const TableName& name, std::int32_t t,
                      int finalLevels) {
    if (distrusted_) {
        return;
    }
    const std::string payload = encodeTableDegree(table, t, finalLevels);
    const std::string sizes = "payload " + std::to_string(payload.size()) + " crc32 " +
                              hex(crcOf(0, payload.data(), payload.size())) + "\n";
    const std::string file = path(name, t, finalLevels);
    const int error =
        createFileAtomically(file, header(name, t, finalLevels) + sizes + payload, 0644);
    if (error != 0) {
        writeFailed(file, error);
    }
}

} // namespace curtis
