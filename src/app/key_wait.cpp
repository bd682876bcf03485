#include "app/key_wait.hpp"

#include <termios.h>
#include <unistd.h>

namespace curtis {

void waitForKey(std::FILE* in, std::FILE* out) {
    std::fputs("Press any key to continue . . . ", out);
    std::fflush(out);

    const int fd = fileno(in);
    termios saved{};
    const bool terminal = isatty(fd) && tcgetattr(fd, &saved) == 0;
    if (terminal) {
        termios raw = saved;
        // No line editing and no echo; interrupt keys count as a key press
        // too, so the terminal is always restored.
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &raw);
    }
    std::getc(in);
    if (terminal) {
        tcsetattr(fd, TCSANOW, &saved);
    }
    std::fputs("\n", out);
    std::fflush(out);
}

} // namespace curtis
