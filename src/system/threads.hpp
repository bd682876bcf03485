#pragma once

#include <functional>
#include <thread>
#include <vector>

namespace curtis {

// Starts up to `count` threads, the i-th running work(i) for i = 1 ..
// count. A thread the system refuses to start is left out: the work is
// shared so that those that did start (and the calling thread, which has
// index 0) do it all. The threads are joined when the returned vector is
// destroyed.
std::vector<std::jthread> startThreads(int count, const std::function<void(int)>& work);

} // namespace curtis
