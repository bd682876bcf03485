#include "curtis_chart/output_file.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace curtis {

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    if (path_.empty()) {
        stream_ = stdout;
        return;
    }
    std::vector<char> name(path_.begin(), path_.end());
    const std::string suffix = ".partial-XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        fail("cannot create " + path_);
        return;
    }
    temporary_ = name.data();
    // mkstemp makes the file private; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    stream_ = fdopen(fd, "w");
    if (stream_ == nullptr) {
        fail("cannot write " + path_);
        close(fd);
    }
}

OutputFile::~OutputFile() {
    if (!temporary_.empty()) {
        if (stream_ != nullptr) {
            std::fclose(stream_);
        }
        std::remove(temporary_.c_str());
    }
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
    if (temporary_.empty()) {
        if (std::fflush(stream_) != 0 || std::ferror(stream_)) {
            fail("cannot write to standard output");
            return false;
        }
        return true;
    }
    const bool written =
        std::fflush(stream_) == 0 && !std::ferror(stream_) && fsync(fileno(stream_)) == 0;
    if (!written) {
        fail("cannot write " + path_);
    }
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (written && !closed) {
        fail("cannot write " + path_);
    }
    if (!written || !closed) {
        return false;
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        fail("cannot create " + path_);
        return false;
    }
    temporary_.clear();
    return true;
}

} // namespace curtis
