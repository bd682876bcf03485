#include "system/thread_priority.hpp"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace curtis {

bool lowerThreadPriority() {
#ifdef __linux__
    // On Linux a nice value belongs to a thread, named by its own id.
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    return setpriority(PRIO_PROCESS, thread, 19) == 0;
#else
    return false;
#endif
}

} // namespace curtis
