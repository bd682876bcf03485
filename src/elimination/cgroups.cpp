#include "elimination/cgroups.hpp"

#include <fstream>
#include <sstream>

namespace curtis {

std::string cgroupMembership() {
    std::ifstream file("/proc/self/cgroup");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace curtis
