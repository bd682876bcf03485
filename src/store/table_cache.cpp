#include "store/table_cache.hpp"

#include "io/atomic_file.hpp"
#include "store/table_codec.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
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

// Whether an error says the system is short of something (descriptors,
// memory) or was interrupted, rather than anything about the file.
bool shortage(int error) {
    return error == EMFILE || error == ENFILE || error == ENOMEM || error == EINTR ||
           error == ENOBUFS;
}

// Reads size bytes at offset into `into`; the errno of what failed, or 0.
// A file that ends early gives ERANGE.
int readAt(int fd, char* into, std::size_t size, off_t offset) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t part = pread(fd, into + got, size - got, offset + static_cast<off_t>(got));
        if (part < 0 && errno == EINTR) {
            continue;
        }
        if (part < 0) {
            return errno;
        }
        if (part == 0) {
            return ERANGE;
        }
        got += static_cast<std::size_t>(part);
    }
    return 0;
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
    // As ssh has it, the directories above count too: one that others may
    // write, unless its sticky bit keeps them to their own entries, lets
    // them put another directory in the cache's place.
    if (!trustShared_) {
        char* real = realpath(directory_.c_str(), nullptr);
        std::string above = real != nullptr ? real : "";
        std::free(real);
        while (above.size() > 1) {
            above = above.substr(0, std::max<std::size_t>(above.rfind('/'), 1));
            struct stat parent {};
            if (stat(above.c_str(), &parent) != 0 ||
                (!trustworthy(parent) && (parent.st_mode & S_ISVTX) == 0)) {
                distrust(directory_ + " (through " + above + ")");
                return;
            }
        }
    }
    sweepStaleTemporaries(directory_);
}

void TableCache::shortOf(int error) {
    if (!shortWarned_.exchange(true)) {
        std::fprintf(warnings_,
                     "curtis-chart: warning: the cache cannot be read now (%s); its files are "
                     "left as they are, and the rest of the run goes on without the cache\n",
                     std::strerror(error));
    }
    distrusted_ = true;
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

std::string TableCache::identity(const TableName& name, std::int32_t t, int finalLevels) const {
    // The table as this run plans it, inside the payload, where the
    // checksum holds it.
    const std::int32_t bottom = -name.w;
    const bool top = !name.sphere && name.topCellOffset != noTopCell && name.topCellOffset < t - 1;
    return std::string("format ") + std::to_string(tableFormat) + "; " +
           (name.sphere ? "the sphere" : "a space") + "; bottom cell " + std::to_string(bottom) +
           "; top cell " +
           (name.sphere ? std::string("0")
            : top       ? std::to_string(std::int64_t{bottom} + name.topCellOffset)
                        : std::string("none")) +
           "; weight " + std::to_string(name.w) + "; t " + std::to_string(t) + "; final levels " +
           std::to_string(finalLevels) + "\n";
}

void TableCache::setAside(const std::string& file, const struct stat& read, const std::string& why,
                          bool say) {
    const std::string aside = file + ".bad";
    // Only the file that was read: another run may have put a sound one in
    // its place meanwhile. So it is moved to a name of this process's own
    // first, and back if what moved is not the file read; only then aside.
    const std::string own = temporaryName(file);
    struct stat moved {};
    std::string outcome;
    if (std::rename(file.c_str(), own.c_str()) != 0) {
        outcome = errno == ENOENT
                      ? std::string("another run has set it aside")
                      : std::string("it could not be set aside (") + std::strerror(errno) + ")";
    } else if (lstat(own.c_str(), &moved) != 0 || moved.st_dev != read.st_dev ||
               moved.st_ino != read.st_ino) {
        // Back where it was, unless yet another file is there by now.
        if (link(own.c_str(), file.c_str()) != 0 && errno != EEXIST) {
            std::rename(own.c_str(), file.c_str());
        }
        unlink(own.c_str());
        outcome = "another file has taken its place";
    } else if (std::rename(own.c_str(), aside.c_str()) != 0) {
        outcome = std::string("it could not be set aside (") + std::strerror(errno) + ")";
        std::rename(own.c_str(), file.c_str());
    } else {
        outcome = "set aside as " + aside;
    }
    if (say) {
        std::fprintf(warnings_, "curtis-chart: warning: %s %s; %s, and computed again\n",
                     file.c_str(), why.c_str(), outcome.c_str());
    }
}

void TableCache::writeFailed(const std::string& file, int error) {
    if (!writeWarned_.exchange(true)) {
        std::fprintf(warnings_,
                     "curtis-chart: warning: cannot write %s (%s); the run goes on, and further "
                     "cache files it cannot write are not reported\n",
                     file.c_str(), std::strerror(error));
    }
}

std::optional<std::string> TableCache::readPayload(const std::string& file,
                                                   const std::string& header, std::uint64_t largest,
                                                   struct stat& status) {
    const Descriptor fd(open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0 && errno == ENOENT) {
        return std::nullopt; // not there: nothing to say
    }
    if (fd.get() < 0 && shortage(errno)) {
        shortOf(errno);
        return std::nullopt;
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
    const std::optional<Claim> claim = claimOf(fd.get(), file, header, largest, status);
    return claim ? payloadOf(fd.get(), file, header, *claim, status) : std::nullopt;
}

std::optional<TableCache::Claim> TableCache::claimOf(int fd, const std::string& file,
                                                     const std::string& header,
                                                     std::uint64_t largest,
                                                     const struct stat& status) {
    std::string head(static_cast<std::size_t>(std::min<off_t>(status.st_size, 3 * 4096)), '\0');
    if (const int error = readAt(fd, head.data(), head.size(), 0); error != 0) {
        if (shortage(error)) {
            shortOf(error);
        } else {
            setAside(file, status, "changed while it was read");
        }
        return std::nullopt;
    }
    std::size_t at = 0;
    const std::string format = nextLine(head, at);
    const std::string key = nextLine(head, at);
    const std::string sizes = nextLine(head, at);
    if (format.empty() || key.empty() || sizes.empty()) {
        setAside(file, status, "has no complete header");
        return std::nullopt;
    }
    if (format != formatLine) {
        // A cache of an earlier version holds nothing else: one line says so.
        const bool first = !formatWarned_.exchange(true);
        setAside(file, status,
                 "is of another version's format (the cache's other such files are set "
                 "aside too, without another word)",
                 first);
        return std::nullopt;
    }
    if (format + key != header) {
        setAside(file, status, "belongs to another table or degree");
        return std::nullopt;
    }
    unsigned long long payloadSize = 0;
    unsigned payloadCrc = 0;
    char end = 0;
    if (std::sscanf(sizes.c_str(), "payload %llu crc32 %8x%c", &payloadSize, &payloadCrc, &end) !=
            3 ||
        end != '\n') {
        setAside(file, status, "has a damaged header");
        return std::nullopt;
    }
    // The payload fills the rest of the file exactly.
    if (payloadSize != static_cast<unsigned long long>(status.st_size) - at) {
        setAside(file, status, "has the wrong size");
        return std::nullopt;
    }
    if (payloadSize > largest) {
        setAside(file, status, "is larger than any file of its degree");
        return std::nullopt;
    }
    return Claim{payloadSize, payloadCrc, at};
}

std::optional<std::string> TableCache::payloadOf(int fd, const std::string& file,
                                                 const std::string& header, const Claim& claim,
                                                 const struct stat& status) {
    std::string payload;
    try {
        payload.resize(static_cast<std::size_t>(claim.size));
    } catch (const std::bad_alloc&) {
        shortOf(ENOMEM);
        return std::nullopt;
    }
    if (const int error = readAt(fd, payload.data(), payload.size(), static_cast<off_t>(claim.at));
        error != 0) {
        if (shortage(error)) {
            shortOf(error);
        } else {
            setAside(file, status, "changed while it was read");
        }
        return std::nullopt;
    }
    if (crcOf(crcOf(0, header.data(), header.size()), payload.data(), payload.size()) !=
        claim.crc) {
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
    const std::string inside = identity(name, t, stored);
    struct stat status {};
    const std::optional<std::string> payload = readPayload(
        file, header(name, t, stored),
        std::min<std::uint64_t>(static_cast<std::uint64_t>(largestFile),
                                inside.size() + largestTableDegree(t, stored, name.sphere)),
        status);
    if (!payload) {
        return 0;
    }
    if (payload->compare(0, inside.size(), inside) != 0) {
        setAside(file, status, "names another table, band or format inside");
        return 0;
    }
    const int given = std::min(stored, finalLevels);
    std::string why;
    std::optional<std::vector<LevelRecords>> levels = decodeTableDegree(
        std::string_view(*payload).substr(inside.size()), name.w, t, stored, given, why);
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
    const std::string payload =
        identity(name, t, finalLevels) + encodeTableDegree(table, t, finalLevels);
    const std::string head = header(name, t, finalLevels);
    const std::string sizes =
        "payload " + std::to_string(payload.size()) + " crc32 " +
        hex(crcOf(crcOf(0, head.data(), head.size()), payload.data(), payload.size())) + "\n";
    const std::string file = path(name, t, finalLevels);
    const int error = createFileAtomically(file, head + sizes + payload, 0644);
    if (error != 0) {
        writeFailed(file, error);
    }
}

} // namespace curtis
