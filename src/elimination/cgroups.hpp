#pragma once

#include <sstream>
#include <string>

namespace curtis {

// Calls f(hierarchy, controllers, path) for each line
// "hierarchy-ID:controller-list:cgroup-path" of membership, the text of
// /proc/self/cgroup; cgroup v2 has the line "0::path", v1 one line per
// hierarchy, its controllers separated by commas.
template <typename F> void forEachCgroup(const std::string& membership, F&& f) {
    std::istringstream lines(membership);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) {
            continue;
        }
        f(line.substr(0, first), line.substr(first + 1, second - first - 1),
          line.substr(second + 1));
    }
}

// Whether a v1 controller list names the controller.
inline bool hasController(const std::string& controllers, const std::string& controller) {
    return ("," + controllers + ",").find("," + controller + ",") != std::string::npos;
}

// The text of /proc/self/cgroup, empty if it cannot be read.
std::string cgroupMembership();

} // namespace curtis
