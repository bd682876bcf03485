#pragma once

#include <string>
#include <string_view>

namespace curtis {

// Creates the file `path` holding `bytes`, atomically: the name appears only
// with the whole content, and where it is there already the file that is
// there stays (the first writer wins). The file's mode is `mode` less the
// umask. Where the filesystem allows, the data goes to an unnamed file in
// the directory, so that a killed process leaves nothing; elsewhere (NFS,
// where clusters share directories) to a named temporary file beside it,
// whose name carries the host, the boot, the process and its start time
// (see sweepStaleTemporaries). Returns 0, or the errno of what failed.
int createFileAtomically(const std::string& path, std::string_view bytes, int mode = 0666);

// The directory a path names its file in: "." for a bare name.
std::string directoryOf(const std::string& path);

// The named temporary file this process gives path where it has to:
// path.tmp-HOST-BOOT-PID-START.
std::string temporaryName(const std::string& path);

// Removes the named temporary files in `directory` that a process of this
// host left behind: those of an earlier boot, and those whose process is
// gone. A host that never runs again leaves its files.
void sweepStaleTemporaries(const std::string& directory);

} // namespace curtis
