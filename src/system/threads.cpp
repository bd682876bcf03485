#include "system/threads.hpp"

#include <system_error>

namespace curtis {

std::vector<std::jthread> startThreads(int count, const std::function<void(int)>& work) {
    std::vector<std::jthread> threads;
    try {
        for (int i = 1; i <= count; ++i) {
            threads.emplace_back(work, i);
        }
    } catch (const std::system_error&) {
        // Fewer threads than asked for: those that started share the work.
    }
    return threads;
}

} // namespace curtis
