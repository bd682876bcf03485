#include "report/guarded_run.hpp"

#include "report/exit_status.hpp"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace curtis {

int runGuarded(const std::function<int()>& body, std::FILE* err) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        std::fputs("Error: fail to allocate memory!\n", err);
        return exitStorage;
    } catch (const std::length_error&) {
        std::fputs("Error: fail to allocate memory!\n", err);
        return exitStorage;
    } catch (const std::exception& error) {
        std::string what = error.what();
        for (char& c : what) {
            c = c == '\n' ? ' ' : c;
        }
        std::fprintf(err, "Error: %s!\n", what.c_str());
        return exitInputOutput;
    } catch (...) {
        std::fputs("Error: the program stopped for an unknown reason!\n", err);
        return exitInputOutput;
    }
}

} // namespace curtis
