#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace curtis::testing {

struct ProcessResult {
    std::string out;
    std::string err;
    int exitStatus = -1; // the exit status, or -1 if the process did not exit normally
    int termSignal = 0;  // the signal that ended the process, if one did
    bool timedOut = false;
};

struct ProcessOptions {
    std::vector<std::string> arguments;
    std::string input;
    bool closeInputEarly = false; // close standard input without writing anything
    double timeoutSeconds = 60;
    std::uint64_t addressSpaceLimit = 0; // bytes; 0 for none
    std::uint64_t fileSizeLimit = 0;     // bytes a file may grow to; 0 for none
    std::uint64_t descriptorLimit = 0;   // descriptors the process may hold; 0 for no limit
    std::string outputPath;              // if set, standard output is this file instead of a pipe
    bool errorOnTerminal = false;        // standard error is a pseudo-terminal instead of a pipe
    int signal = 0;                      // if set, sent to the process after signalAfterSeconds
    double signalAfterSeconds = 0;
};

// Runs the program at path with the given standard input, collecting its
// standard output and error. A process that runs past the timeout is killed
// and reported as timed out.
ProcessResult runProcess(const std::string& path, const ProcessOptions& options);

} // namespace curtis::testing
