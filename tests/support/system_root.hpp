#pragma once

#include "support/temporary_directory.hpp"

#include <filesystem>
#include <fstream>
#include <string>

namespace curtis::testing {

// A fixture root laid out as a running system lays out the files the
// machine's limits are read from: root/proc/meminfo, root/proc/self/cgroup,
// root/sys/fs/cgroup/...
class SystemRoot {
public:
    // Writes text to the file at `relative` (e.g. "sys/fs/cgroup/a/cpu.max").
    void write(const std::string& relative, const std::string& text) const {
        const std::filesystem::path file = directory_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    std::string path() const { return directory_.path().string(); }

private:
    TemporaryDirectory directory_;
};

} // namespace curtis::testing
