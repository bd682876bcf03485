#include "support/run_process.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace curtis::testing {

ProcessResult runProcess(const std::string& path, const ProcessOptions& options) {
    ProcessResult result;
    int input[2], output[2], error[2];
    if (pipe(input) != 0 || pipe(output) != 0) {
        return result;
    }
    // error[0] is read here, error[1] is the child's standard error.
    if (options.errorOnTerminal ? openpty(&error[0], &error[1], nullptr, nullptr, nullptr) != 0
                                : pipe(error) != 0) {
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(input[0], STDIN_FILENO);
        if (options.outputPath.empty()) {
            dup2(output[1], STDOUT_FILENO);
        } else {
            const int fd = open(options.outputPath.c_str(), O_WRONLY);
            dup2(fd, STDOUT_FILENO);
        }
        dup2(error[1], STDERR_FILENO);
        // The program starts with its three standard streams and nothing
        // else the test runner happened to hold open, so that limits on
        // descriptors mean the same under any runner.
        close_range(3, ~0U, 0);
        if (options.fileSizeLimit != 0) {
            rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.descriptorLimit != 0) {
            rlimit limit{options.descriptorLimit, options.descriptorLimit};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        if (options.addressSpaceLimit != 0) {
            rlimit limit{options.addressSpaceLimit, options.addressSpaceLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(path.c_str()));
        for (const std::string& argument : options.arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    close(error[1]);
    signal(SIGPIPE, SIG_IGN);

    std::size_t written = 0;
    int inputFd = input[1];
    if (options.closeInputEarly) {
        close(inputFd);
        inputFd = -1;
    } else {
        fcntl(inputFd, F_SETFL, O_NONBLOCK);
    }
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::duration<double>(options.timeoutSeconds);
    const auto signalAt = start + std::chrono::duration<double>(options.signalAfterSeconds);
    bool signalled = options.signal == 0;
    bool outputOpen = true;
    bool errorOpen = true;
    char buffer[65536];
    while (outputOpen || errorOpen) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            kill(child, SIGKILL);
            result.timedOut = true;
            break;
        }
        if (!signalled && now >= signalAt) {
            kill(child, options.signal);
            signalled = true;
        }
        const auto until = signalled ? deadline : std::min(deadline, signalAt);
        const int wait =
            static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count()) +
            1;
        pollfd fds[3] = {{output[0], POLLIN, 0}, {error[0], POLLIN, 0}, {inputFd, POLLOUT, 0}};
        if (!outputOpen) {
            fds[0].fd = -1;
        }
        if (!errorOpen) {
            fds[1].fd = -1;
        }
        const int ready = poll(fds, 3, wait);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (ready <= 0) {
            continue;
        }
        if (inputFd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t n =
                written < options.input.size()
                    ? write(inputFd, options.input.data() + written, options.input.size() - written)
                    : 0;
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            if (n <= 0 || written == options.input.size()) {
                close(inputFd);
                inputFd = -1;
            }
        }
        for (int stream = 0; stream < 2; ++stream) {
            if ((fds[stream].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            const ssize_t n = read(fds[stream].fd, buffer, sizeof buffer);
            if (n > 0) {
                (stream == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            } else {
                (stream == 0 ? outputOpen : errorOpen) = false;
            }
        }
    }
    if (inputFd >= 0) {
        close(inputFd);
    }
    close(output[0]);
    close(error[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!result.timedOut && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        result.termSignal = WTERMSIG(status);
    }
    return result;
}

} // namespace curtis::testing
