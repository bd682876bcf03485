// OutputFile with the unnamed temporary file turned off, so that the named
// one and its removal on signals can be tested: writes a line to the path
// given and, with --wait, waits 30 seconds for a signal before it commits.
#include "io/output_file.hpp"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--wait") != 0)) {
        std::fprintf(stderr, "usage: output_file_seam PATH [--wait]\n");
        return 2;
    }
    curtis::OutputFile output(argv[1], curtis::OutputFile::Options{false});
    if (!output.ok() || !output.namedTemporary()) {
        std::fprintf(stderr, "%s\n", output.error().c_str());
        return 1;
    }
    std::fputs("complete\n", output.stream());
    std::fflush(output.stream());
    if (argc == 3) {
        sleep(30);
    }
    return output.commit() ? 0 : 1;
}
