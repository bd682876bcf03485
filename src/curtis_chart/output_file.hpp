#pragma once

#include <cstdio>
#include <string>

namespace curtis {

// Where curtis-chart writes: standard output, or a file that appears under
// its name only once it is complete. The file is written under a temporary
// name in the same directory and renamed by commit; if commit is never
// reached, the temporary file is removed and nothing is left behind.
class OutputFile {
public:
    // path empty: standard output. Check ok() before writing.
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool ok() const { return stream_ != nullptr; }
    std::FILE* stream() const { return stream_; }
    // What went wrong, for a message: the file and the system's reason.
    const std::string& error() const { return error_; }

    // Flushes everything and, for a file, gives it its name. Returns false,
    // with error() set, if anything could not be written.
    bool commit();

private:
    void fail(const std::string& what);

    std::string path_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
    std::string error_;
};

} // namespace curtis
