// libFuzzer target: the interactive program's dialogue on any input. It must
// end, accept only values in range, and never read or write out of bounds.
#include "app/dialogue.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0; // fmemopen takes no empty buffer
    }
    char* text = static_cast<char*>(std::malloc(size + 1));
    if (text == nullptr) {
        return 0;
    }
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>(data[i]);
    }
    std::FILE* in = fmemopen(text, size, "r");
    char* written = nullptr;
    std::size_t writtenSize = 0;
    std::FILE* out = open_memstream(&written, &writtenSize);
    if (in != nullptr && out != nullptr) {
        std::int32_t w = 0;
        std::int32_t t = 0;
        if (curtis::runDialogue(in, out, w, t) &&
            (w < -curtis::maxWeightMagnitude || w > curtis::maxWeightMagnitude || t < 1 ||
             t > curtis::maxTotalDegree)) {
            std::abort(); // a value out of range was accepted
        }
    }
    if (in != nullptr) {
        std::fclose(in);
    }
    if (out != nullptr) {
        std::fclose(out);
    }
    std::free(written);
    std::free(text);
    return 0;
}
