#pragma once

#include <cstdio>
#include <string>

namespace curtis {

// Where curtis-chart writes.
// - Standard output, for an empty path or "-".
// - Directly, for /dev/stdout, /dev/stderr, /dev/fd/N and every existing
//   target that is not a regular file (a device, a FIFO): such a target is
//   written to, never replaced.
// - Otherwise a regular file that appears under its name only once it is
//   complete. A symbolic link is followed, and the file it names is
//   replaced; an existing file keeps its mode (and its owner where
//   permitted). Where the filesystem allows, the data goes to an unnamed
//   temporary file in the target's directory, which gets a name only at
//   commit, so that even a killed process leaves nothing behind; should
//   linking it fail then, it is copied to a named temporary file. Elsewhere
//   it goes to a named temporary file beside the target, removed when the
//   object goes without commit, and on SIGINT, SIGTERM and SIGHUP, after
//   which the process ends by the same signal; a signal the process ignores
//   stays ignored, and every disposition is restored once the file is named.
//   The named temporary file is the cache's (temporaryName): one that a
//   killed run left is removed by the next run of the host that writes
//   beside it.
// The file descriptor a path names without opening anything: 1 for
// /dev/stdout, 2 for /dev/stderr, N for /dev/fd/N; -1 for any other path.
int standardStreamDescriptor(const std::string& path);

class OutputFile {
public:
    struct Options {
        // Try an unnamed temporary file first.
        bool unnamed = true;
        // Give the unnamed file its name by linking it; when false (or when
        // linking fails) it is copied to a named temporary file instead.
        bool linkAtCommit = true;
    };

    // Check ok() before writing.
    explicit OutputFile(std::string path) : OutputFile(std::move(path), Options{}) {}
    OutputFile(std::string path, Options options);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool ok() const { return stream_ != nullptr; }
    std::FILE* stream() const { return stream_; }
    // What went wrong, for a message: the file and the system's reason.
    const std::string& error() const { return error_; }
    // Whether the data goes to a named temporary file (for the tests).
    bool namedTemporary() const { return !temporary_.empty(); }

    // Flushes everything and, for a file, gives it its name. Returns false,
    // with error() set, if anything could not be written.
    bool commit();

private:
    void fail(const std::string& what);
    bool openDirect(const std::string& device);
    bool openUnnamed(const std::string& directory, int mode);
    bool openNamed(int mode);
    // Creates the named temporary file beside the target, removed on
    // signals; its descriptor, or -1 with error() set.
    int createPartial(int mode);
    // Gives the complete unnamed file a temporary name beside the target.
    bool nameUnnamed();

    std::string path_;   // as given, for messages
    std::string target_; // the regular file that commit names
    std::string temporary_;
    std::FILE* stream_ = nullptr;
    bool unnamed_ = false;
    bool direct_ = false;
    bool ownsStream_ = false;
    bool linkAtCommit_ = true;
    int mode_ = 0666;
    int ownerUid_ = -1;
    int ownerGid_ = -1;
    std::string error_;
};

} // namespace curtis
