#include "store/chart_cache.hpp"

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

constexpr const char* formatLine = "curtis-chart cache, format 1, version " CURTIS_VERSION "\n";

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

bool writeAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(fd, bytes, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            if (put == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// Reads a line of at most `limit` characters, newline included.
bool readLine(std::FILE* file, std::string& line, std::size_t limit = 4096) {
    line.clear();
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        line += static_cast<char>(c);
        if (c == '\n') {
            return true;
        }
        if (line.size() >= limit) {
            return false;
        }
    }
    return false;
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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

ChartCache::ChartCache(std::string directory, std::string key, std::FILE* warnings)
    : directory_(std::move(directory)), key_(std::move(key)), warnings_(warnings) {
    name_ = "chart-" + hex(crcOf(0, key_.data(), key_.size()));
    mkdir(directory_.c_str(), 0777); // it may be there already
}

std::string ChartCache::path(std::int32_t t, const char* kind) const {
    return directory_ + "/" + name_ + "-t" + std::to_string(t) + "." + kind;
}

std::string ChartCache::header(std::int32_t t, const char* kind) const {
    return std::string(formatLine) + "key " + key_ + "; t " + std::to_string(t) + "; " + kind +
           "\n";
}

void ChartCache::setAside(const std::string& file, const std::string& why) {
    const std::string aside = file + ".bad";
    std::rename(file.c_str(), aside.c_str());
    std::fprintf(warnings_, "curtis-chart: warning: %s %s; set aside as %s and computed again\n",
                 file.c_str(), why.c_str(), aside.c_str());
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

std::optional<std::string> ChartCache::readPayload(const std::string& file, std::int32_t t,
                                                   const char* kind) {
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(file.c_str(), "rb"));
    if (!in) {
        return std::nullopt; // not there: nothing to say
    }
    std::string format;
    std::string key;
    std::string sizes;
    if (!readLine(in.get(), format) || !readLine(in.get(), key) || !readLine(in.get(), sizes)) {
        setAside(file, "has no complete header");
        return std::nullopt;
    }
    if (format + key != header(t, kind)) {
        setAside(file, "belongs to another version, space, option or degree");
        return std::nullopt;
    }
    // The sizes line keeps the form of the files that carried records after
    // the payload; a degree carries none.
    unsigned long long payloadSize = 0;
    unsigned long long recordCount = 0;
    unsigned payloadCrc = 0;
    unsigned crcOfRecords = 0;
    if (std::sscanf(sizes.c_str(), "payload %llu crc32 %x records %llu crc32 %x\n", &payloadSize,
                    &payloadCrc, &recordCount, &crcOfRecords) != 4 ||
        payloadSize > (1ull << 40) || recordCount != 0) {
        setAside(file, "has a damaged header");
        return std::nullopt;
    }
    std::string payload(static_cast<std::size_t>(payloadSize), '\0');
    if (std::fread(payload.data(), 1, payload.size(), in.get()) != payload.size() ||
        crcOf(0, payload.data(), payload.size()) != payloadCrc) {
        setAside(file, "fails its checksum");
        return std::nullopt;
    }
    // The payload fills the rest of the file exactly.
    struct stat status {};
    const long at = std::ftell(in.get());
    if (fstat(fileno(in.get()), &status) != 0 || at < 0 ||
        static_cast<unsigned long long>(status.st_size) != static_cast<unsigned long long>(at)) {
        setAside(file, "has the wrong size");
        return std::nullopt;
    }
    return payload;
}

std::optional<CachedDegree> ChartCache::degree(std::int32_t t) {
    const std::string file = path(t, "degree");
    const std::optional<std::string> payload = readPayload(file, t, "degree");
    if (!payload) {
        return std::nullopt;
    }
    std::optional<CachedDegree> degree = decodeDegree(*payload);
    if (!degree || degree->degree.t != t) {
        setAside(file, "does not hold a degree");
        return std::nullopt;
    }
    return degree;
}

void ChartCache::writeFile(const std::string& file, const std::string& head,
                           const std::string& payload) {
    std::vector<char> name(file.begin(), file.end());
    const std::string suffix = ".tmp-XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        writeFailed(file, errno);
        return;
    }
    fchmod(fd, 0644);
    const std::string sizes = "payload " + std::to_string(payload.size()) + " crc32 " +
                              hex(crcOf(0, payload.data(), payload.size())) +
                              " records 0 crc32 00000000\n";
    bool written = writeAll(fd, head.data(), head.size()) &&
                   writeAll(fd, sizes.data(), sizes.size()) &&
                   writeAll(fd, payload.data(), payload.size());
    written = written && fsync(fd) == 0;
    const int error = errno;
    written = close(fd) == 0 && written;
    // The first run to finish a degree keeps it.
    written = written && (link(name.data(), file.c_str()) == 0 || errno == EEXIST);
    const int failure = written ? 0 : (errno != 0 ? errno : error);
    unlink(name.data());
    if (!written) {
        writeFailed(file, failure);
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
