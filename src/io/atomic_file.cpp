#include "io/atomic_file.hpp"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace curtis {

namespace {

constexpr const char* marker = ".tmp-";

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            if (put == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Writes, syncs and closes fd; 0 or the first errno.
int finish(int fd, std::string_view bytes) {
    int error = writeAll(fd, bytes) && fsync(fd) == 0 ? 0 : errno;
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error;
}

// The host's name, with anything but letters, digits, '.' and '_' made
// '_', so that it fits in a file name and cannot be mistaken for its parts.
std::string hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return "unknown";
    }
    std::string host(name);
    for (char& c : host) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '_';
        c = plain ? c : '_';
    }
    return host.empty() ? "unknown" : host;
}

// The first eight characters of this boot's id, or "noboot".
std::string bootId() {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    return id.size() >= 8 ? id.substr(0, 8) : "noboot";
}

// The start time of process pid since boot, in clock ticks, or "" if there
// is no such process.
std::string startTime(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return "";
    }
    // After the name: state, then fields 4 to 21; the start time is 22nd.
    std::size_t at = close + 2;
    for (int field = 3; field < 22 && at != std::string::npos; ++field) {
        at = stat.find(' ', at);
        at = at == std::string::npos ? at : at + 1;
    }
    if (at == std::string::npos) {
        return "";
    }
    return stat.substr(at, stat.find(' ', at) - at);
}

// host-boot-: the prefix of this host's temporary files of this boot.
std::string hostPrefix() {
    return hostName() + "-";
}

} // namespace

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string temporaryName(const std::string& path) {
    return path + marker + hostPrefix() + bootId() + "-" + std::to_string(getpid()) + "-" +
           startTime(getpid());
}

namespace {

int createNamed(const std::string& path, std::string_view bytes, int mode) {
    const std::string name = temporaryName(path);
    const int fd =
        open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) {
        return errno;
    }
    int error = finish(fd, bytes);
    if (error == 0 && link(name.c_str(), path.c_str()) != 0 && errno != EEXIST) {
        error = errno;
    }
    unlink(name.c_str());
    return error;
}

} // namespace

int createFileAtomically(const std::string& path, std::string_view bytes, int mode) {
#ifdef O_TMPFILE
    const int fd = open(directoryOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                        static_cast<mode_t>(mode));
    if (fd >= 0) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (writeAll(fd, bytes) && fsync(fd) == 0) {
            const int linked =
                linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
                        errno == EEXIST
                    ? 0
                    : errno;
            close(fd);
            if (linked != ENOENT) {
                return linked; // ENOENT: no /proc, so the named file
            }
        } else {
            const int error = errno;
            close(fd);
            return error;
        }
    }
#endif
    return createNamed(path, bytes, mode);
}

void sweepStaleTemporaries(const std::string& directory) {
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::string ours = marker + hostPrefix();
    const std::string boot = bootId();
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const std::size_t at = name.find(ours);
        if (at == std::string::npos) {
            continue;
        }
        // boot-pid-start after the host's prefix.
        const std::string rest = name.substr(at + ours.size());
        const std::size_t dash = rest.find('-');
        const std::size_t second = dash == std::string::npos ? dash : rest.find('-', dash + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string pid = rest.substr(dash + 1, second - dash - 1);
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos ||
            pid.size() > 9) {
            continue;
        }
        const bool gone =
            rest.substr(0, dash) != boot || startTime(std::stol(pid)) != rest.substr(second + 1);
        if (gone) {
            unlinkat(dirfd(dir), name.c_str(), 0);
        }
    }
    closedir(dir);
}

} // namespace curtis
