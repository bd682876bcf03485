#pragma once

namespace curtis {

// Gives the calling thread the lowest scheduling priority there is short of
// idle (nice 19 on Linux): it then runs on time the process's other threads
// leave unused, and hardly slows them. False where the system does not
// allow it; the thread then runs as before.
bool lowerThreadPriority();

} // namespace curtis
