#pragma once

#include <functional>
#include <string>

// The process's cgroups, read from the files the kernel provides. Every
// reader here takes the root of the filesystem the files are read under:
// "" on a running system, a fixture directory laid out the same way in tests
// (root + "/proc/self/cgroup", root + "/sys/fs/cgroup/...").

namespace curtis {

// The text of root/proc/self/cgroup, empty if it cannot be read. One line
// per hierarchy, "hierarchy-ID:controller-list:cgroup-path": cgroup v2 has
// the line "0::path", v1 one line per hierarchy with its controllers
// separated by commas.
std::string cgroupMembership(const std::string& root);

// A membership path made plain: no empty, "." or ".." parts, always starting
// with "/" and never ending with one (except "/" itself). ".." never climbs
// above "/", so the walk up the tree stays within the mounted hierarchy.
std::string normalisedCgroupPath(const std::string& path);

// The one walk up the cgroup tree: for every hierarchy in membership that
// governs `controller` (the unified v2 hierarchy, line "0::path", governs
// every controller), calls visit(directory, version) for the process's
// cgroup directory under root/sys/fs/cgroup and for each directory above it,
// up to and including the hierarchy's root, from the process's own up.
// version is 1 or 2. A v1 hierarchy is looked for where the kernel mounts it:
// under the name of its controller list ("cpu,cpuacct"), else under the
// controller's own name.
void forEachCgroupDirectory(const std::string& membership, const std::string& root,
                            const std::string& controller,
                            const std::function<void(const std::string&, int)>& visit);

} // namespace curtis
