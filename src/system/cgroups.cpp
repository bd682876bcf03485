#include "system/cgroups.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace curtis {

namespace {

// Whether a v1 controller list names the controller.
bool hasController(const std::string& controllers, const std::string& controller) {
    return ("," + controllers + ",").find("," + controller + ",") != std::string::npos;
}

bool isDirectory(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

} // namespace

std::string cgroupMembership(const std::string& root) {
    std::ifstream file(root + "/proc/self/cgroup");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string normalisedCgroupPath(const std::string& path) {
    std::vector<std::string> parts;
    std::istringstream stream(path);
    for (std::string part; std::getline(stream, part, '/');) {
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    std::string result;
    for (const std::string& part : parts) {
        result += "/" + part;
    }
    return result.empty() ? "/" : result;
}

void forEachCgroupDirectory(const std::string& membership, const std::string& root,
                            const std::string& controller,
                            const std::function<void(const std::string&, int)>& visit) {
    const std::string mounts = root + "/sys/fs/cgroup";
    std::istringstream lines(membership);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second =
            first == std::string::npos ? std::string::npos : line.find(':', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string hierarchy = line.substr(0, first);
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = normalisedCgroupPath(line.substr(second + 1));
        std::string mount;
        int version = 0;
        if (hierarchy == "0" && controllers.empty()) {
            mount = mounts;
            version = 2;
        } else if (hasController(controllers, controller)) {
            mount = isDirectory(mounts + "/" + controllers) ? mounts + "/" + controllers
                                                            : mounts + "/" + controller;
            version = 1;
        } else {
            continue;
        }
        // From the process's cgroup up to the hierarchy's root, one part of
        // the path at a time.
        for (std::string below = path;;) {
            visit(below == "/" ? mount : mount + below, version);
            if (below == "/") {
                break;
            }
            const std::size_t slash = below.find_last_of('/');
            below = slash == 0 ? "/" : below.substr(0, slash);
        }
    }
}

} // namespace curtis
