#include "io/output_file.hpp"

#include "io/atomic_file.hpp"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace curtis {

namespace {

// The named temporary file a signal must remove: one at a time, read by the
// handler, which may only use async-signal-safe calls.
char pendingRemoval[PATH_MAX + 32];
volatile std::sig_atomic_t removalArmed = 0;
constexpr int cleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int cleanedCount = sizeof cleanedSignals / sizeof cleanedSignals[0];
// The dispositions the signals had before the removal was armed, restored
// exactly when it is disarmed.
struct sigaction savedActions[cleanedCount];
bool actionsSaved = false;

extern "C" void removeAndReraise(int signal) {
    if (removalArmed != 0) {
        unlink(pendingRemoval);
        removalArmed = 0;
    }
    // End by the same signal, so that the shell reports it as usual.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

// A signal that was ignored stays ignored (nohup): it cannot end the run,
// so nothing needs removing on it.
void armRemoval(const std::string& path) {
    if (path.size() >= sizeof pendingRemoval) {
        return;
    }
    std::memcpy(pendingRemoval, path.c_str(), path.size() + 1);
    removalArmed = 1;
    if (actionsSaved) {
        return;
    }
    for (int i = 0; i < cleanedCount; ++i) {
        sigaction(cleanedSignals[i], nullptr, &savedActions[i]);
        if (savedActions[i].sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = removeAndReraise;
        sigemptyset(&action.sa_mask);
        for (const int other : cleanedSignals) {
            sigaddset(&action.sa_mask, other);
        }
        sigaction(cleanedSignals[i], &action, nullptr);
    }
    actionsSaved = true;
}

void disarmRemoval() {
    removalArmed = 0;
    if (!actionsSaved) {
        return;
    }
    for (int i = 0; i < cleanedCount; ++i) {
        sigaction(cleanedSignals[i], &savedActions[i], nullptr);
    }
    actionsSaved = false;
}

// Copies the whole of the file open at `from` to the file open at `to`.
bool copyFile(int from, int to) {
    char buffer[1 << 16];
    for (off_t offset = 0;;) {
        const ssize_t got = pread(from, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return false;
            }
            done += put;
        }
        offset += got;
    }
}

// The name under which an open file descriptor can be linked.
std::string descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// The path a chain of symbolic links ends at (the path itself if it is not
// a link); relative links are read from the link's directory. Empty after
// too many links.
std::string followLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        std::vector<char> link(PATH_MAX + 1);
        const ssize_t length = readlink(path.c_str(), link.data(), PATH_MAX);
        if (length < 0) {
            return path;
        }
        const std::string to(link.data(), static_cast<std::size_t>(length));
        if (to.front() == '/') {
            path = to;
        } else {
            const std::size_t slash = path.rfind('/');
            path = (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + to;
        }
    }
    errno = ELOOP;
    return "";
}

} // namespace

int standardStreamDescriptor(const std::string& path) {
    if (path == "/dev/stdout") {
        return STDOUT_FILENO;
    }
    if (path == "/dev/stderr") {
        return STDERR_FILENO;
    }
    const std::string prefix = "/dev/fd/";
    if (path.compare(0, prefix.size(), prefix) == 0 && path.size() > prefix.size()) {
        char* end = nullptr;
        errno = 0;
        const long fd = std::strtol(path.c_str() + prefix.size(), &end, 10);
        if (*end == '\0' && errno == 0 && fd >= 0 && fd <= INT_MAX) {
            return static_cast<int>(fd);
        }
    }
    return -1;
}

OutputFile::OutputFile(std::string path, Options options) : path_(std::move(path)) {
    if (path_.empty() || path_ == "-") {
        stream_ = stdout;
        direct_ = true;
        return;
    }
    const int standard = standardStreamDescriptor(path_);
    if (standard >= 0) {
        const int fd = dup(standard);
        stream_ = fd < 0 ? nullptr : fdopen(fd, "w");
        if (stream_ == nullptr) {
            fail("cannot write " + path_);
            if (fd >= 0) {
                close(fd);
            }
            return;
        }
        direct_ = true;
        ownsStream_ = true;
        return;
    }
    target_ = followLinks(path_);
    if (target_.empty()) {
        fail("cannot create " + path_);
        return;
    }
    struct stat status {};
    const bool exists = stat(target_.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        openDirect(target_);
        return;
    }
    // A new file gets the usual permissions, an existing one keeps its own.
    const mode_t mask = umask(0);
    umask(mask);
    int mode = static_cast<int>(0666 & ~mask);
    if (exists) {
        mode = static_cast<int>(status.st_mode & 07777);
        ownerUid_ = static_cast<int>(status.st_uid);
        ownerGid_ = static_cast<int>(status.st_gid);
    }
    linkAtCommit_ = options.linkAtCommit;
    mode_ = mode;
    // What killed runs of this host left beside their outputs goes.
    sweepStaleTemporaries(directoryOf(target_));
    if (options.unnamed && openUnnamed(directoryOf(target_), mode)) {
        return;
    }
    openNamed(mode);
}

bool OutputFile::openDirect(const std::string& device) {
    const int fd = open(device.c_str(), O_WRONLY | O_CLOEXEC);
    stream_ = fd < 0 ? nullptr : fdopen(fd, "w");
    if (stream_ == nullptr) {
        fail("cannot write " + path_);
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    direct_ = true;
    ownsStream_ = true;
    return true;
}

bool OutputFile::openUnnamed(const std::string& directory, int mode) {
#ifdef O_TMPFILE
    // Read and write: where it cannot be linked at commit after all, it is
    // copied from.
    const int fd =
        open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) {
        return false;
    }
    // Linking it needs its name under /proc; without /proc the named
    // temporary file is the better choice from the start.
    if (access(descriptorPath(fd).c_str(), F_OK) != 0) {
        close(fd);
        return false;
    }
    fchmod(fd, static_cast<mode_t>(mode));
    if (ownerUid_ >= 0 &&
        fchown(fd, static_cast<uid_t>(ownerUid_), static_cast<gid_t>(ownerGid_)) != 0) {
        // Not permitted: the file keeps this process's owner.
    }
    stream_ = fdopen(fd, "w+");
    if (stream_ == nullptr) {
        close(fd);
        return false;
    }
    unnamed_ = true;
    ownsStream_ = true;
    return true;
#else
    static_cast<void>(directory);
    static_cast<void>(mode);
    return false;
#endif
}

int OutputFile::createPartial(int mode) {
    const std::string name = temporaryName(target_);
    const int fd = open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        fail("cannot create " + path_);
        return -1;
    }
    temporary_ = name;
    armRemoval(temporary_);
    fchmod(fd, static_cast<mode_t>(mode));
    if (ownerUid_ >= 0 &&
        fchown(fd, static_cast<uid_t>(ownerUid_), static_cast<gid_t>(ownerGid_)) != 0) {
        // Not permitted: the file keeps this process's owner.
    }
    return fd;
}

bool OutputFile::openNamed(int mode) {
    const int fd = createPartial(mode);
    if (fd < 0) {
        return false;
    }
    stream_ = fdopen(fd, "w");
    if (stream_ == nullptr) {
        fail("cannot write " + path_);
        close(fd);
        return false;
    }
    ownsStream_ = true;
    return true;
}

OutputFile::~OutputFile() {
    if (ownsStream_ && stream_ != nullptr) {
        std::fclose(stream_);
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        disarmRemoval();
    }
}

bool OutputFile::nameUnnamed() {
    // A name beside the target, then the target's name in one step.
    const int fd = fileno(stream_);
    const std::string name = temporaryName(target_);
    if (linkAtCommit_ && linkat(AT_FDCWD, descriptorPath(fd).c_str(), AT_FDCWD, name.c_str(),
                                AT_SYMLINK_FOLLOW) == 0) {
        temporary_ = name;
        armRemoval(temporary_);
        return true;
    }
    // It cannot be linked (no /proc any more, say): copy it to a named
    // temporary file, which commit renames as it would the link.
    const int copy = createPartial(mode_);
    if (copy < 0) {
        return false;
    }
    const bool copied = copyFile(fd, copy) && fsync(copy) == 0;
    const bool closed = close(copy) == 0;
    if (!copied || !closed) {
        fail("cannot write " + path_);
        return false;
    }
    return true;
}

void OutputFile::fail(const std::string& what) {
    if (error_.empty()) {
        error_ = what + " (" + std::strerror(errno) + ")";
    }
}

bool OutputFile::commit() {
    if (stream_ == nullptr) {
        return false;
    }
    if (direct_) {
        if (std::fflush(stream_) != 0 || std::ferror(stream_)) {
            fail(path_.empty() || path_ == "-" ? "cannot write to standard output"
                                               : "cannot write " + path_);
            return false;
        }
        return true;
    }
    const bool written =
        std::fflush(stream_) == 0 && !std::ferror(stream_) && fsync(fileno(stream_)) == 0;
    if (!written) {
        fail("cannot write " + path_);
        return false;
    }
    if (unnamed_ && !nameUnnamed()) {
        return false;
    }
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!closed) {
        fail("cannot write " + path_);
        return false;
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail("cannot create " + path_);
        return false;
    }
    temporary_.clear();
    disarmRemoval();
    return true;
}

} // namespace curtis
