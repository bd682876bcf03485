#include "store/chart_cache.hpp"

#include "io/atomic_file.hpp"

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

const std::string formatLine =
    "curtis-chart cache, format " + std::to_string(degreeFormat) + ", version " CURTIS_VERSION "\n";

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

// The largest cache file read: far above any degree this program computes,
// far below what would strain the machine.
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

ChartCache::ChartCache(std::string directory, std::string key, std::FILE* warnings,
                       bool trustShared)
    : directory_(std::move(directory)), key_(std::move(key)), warnings_(warnings),
      trustShared_(trustShared) {
    name_ = "chart-" + hex(crcOf(0, key_.data(), key_.size()));
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

void ChartCache::distrust(const std::string& what) {
    // Once a run: the chart's cache and the transfer's sphere's share it.
    static std::atomic<bool> warned{false};
    if (!distrusted_ && !warned.exchange(true)) {
        std::fprintf(warnings_,
                     "curtis-chart: warning: %s is not trusted: another user owns it, or group "
                     "or others may write it; the run goes on without the cache "
                     "(--trust-cache trusts a directory shared on purpose)\n",
                     what.c_str());
    }
    distrusted_ = true;
}

std::string ChartCache::path(std::int32_t t, const char* kind) const {
    return directory_ + "/" + name_ + "-t" + std::to_string(t) + "." + kind;
}

std::string ChartCache::header(std::int32_t t, const char* kind) const {
    return std::string(formatLine) + "key " + key_ + "; t " + std::to_string(t) + "; " + kind +
           "\n";
}

void ChartCache::setAside(const std::string& file, const struct stat& read,
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

void ChartCache::writeFailed(const std::string& file, int error) {
    if (!writeWarned_) {
        std::fprintf(warnings_,
                     "curtis-chart: warning: cannot write %s (%s); the run goes on, and further "
                     "cache files it cannot write are not reported\n",
                     file.c_str(), std::strerror(error));
        writeWarned_ = true;
    }
}

std::optional<std::string> ChartCache::readFile(const std::string& file, struct stat& status) {
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
        setAside(file, status, "is larger than any degree file");
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

std::optional<std::string> ChartCache::readPayload(const std::string& file, std::int32_t t,
                                                   const char* kind) {
    struct stat status {};
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
    if (format + key != header(t, kind)) {
        setAside(file, status, "belongs to another version, space, option or degree");
        return std::nullopt;
    }
    // The sizes line keeps the form of the files that carried records after
    // the payload; a degree carries none. The payload fills the rest of the
    // file exactly.
    unsigned long long payloadSize = 0;
    unsigned long long recordCount = 0;
    unsigned payloadCrc = 0;
    unsigned crcOfRecords = 0;
    if (std::sscanf(sizes.c_str(), "payload %llu crc32 %x records %llu crc32 %x\n", &payloadSize,
                    &payloadCrc, &recordCount, &crcOfRecords) != 4 ||
        recordCount != 0 || crcOfRecords != 0) {
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

std::optional<CachedDegree> ChartCache::degree(std::int32_t t) {
    if (distrusted_) {
        return std::nullopt;
    }
    const std::string file = path(t, "degree");
    const std::optional<std::string> payload = readPayload(file, t, "degree");
    if (!payload) {
        return std::nullopt;
    }
    std::optional<CachedDegree> degree = decodeDegree(*payload);
    if (!degree || degree->degree.t != t) {
        struct stat status {};
        if (lstat(file.c_str(), &status) == 0) {
            setAside(file, status, "does not hold a degree");
        }
        return std::nullopt;
    }
    return degree;
}

void ChartCache::discardDegree(std::int32_t t, const std::string& why) {
    const std::string file = path(t, "degree");
    struct stat status {};
    if (lstat(file.c_str(), &status) == 0) {
        setAside(file, status, why);
    }
}

void ChartCache::writeFile(const std::string& file, const std::string& head,
                           const std::string& payload) {
    if (distrusted_) {
        return;
    }
    const std::string sizes = "payload " + std::to_string(payload.size()) + " crc32 " +
                              hex(crcOf(0, payload.data(), payload.size())) +
                              " records 0 crc32 00000000\n";
    const int error = createFileAtomically(file, head + sizes + payload, 0644);
    if (error != 0) {
        writeFailed(file, error);
    }
}

void ChartCache::storeDegree(std::int32_t t, const CachedDegree& degree) {
    writeFile(path(t, "degree"), header(t, "degree"), encodeDegree(degree));
}

namespace {

// The key of a table's degrees: its space and band, and the readings kept
// with them.
std::string degreeKey(const Space& space, const std::optional<int>& band,
                      const Readings& readings) {
    const auto optional = [](const std::optional<int>& value) {
        return value ? std::to_string(*value) : std::string("none");
    };
    return "bottom " + std::to_string(space.bottomCell()) + ", top " + optional(space.topCell()) +
           ", filtrations " + (band ? "0 to " + std::to_string(*band) : std::string("all")) +
           ", unstable " + optional(readings.unstable) + ", ehp " + (readings.ehp ? "yes" : "no") +
           ", products " + (readings.products ? "yes" : "no") + ", transfer " +
           (readings.transfer ? "yes" : "no");
}

} // namespace

std::string chartKey(const ChartPlan& plan) {
    return degreeKey(plan.space, plan.band, plan.readings);
}

std::string transferSphereKey(const ChartPlan& plan) {
    return degreeKey(Space::sphere(), plan.sphereBand(), Readings{});
}

} // namespace curtis
