#pragma once

#include "table/computation.hpp"

#include <cstdint>
#include <cstdio>

namespace curtis {

enum class ReadResult {
    Value,      // a decimal integer in the 32-bit range was read
    Invalid,    // the next token was something else; it and the rest of its line are consumed
    EndOfInput, // the input ended before another token began
};

// Reads the next whitespace-separated token of in, skipping blanks and
// empty lines before it, and parses it as a decimal integer with an
// optional sign. A token that is anything else is refused together with the
// rest of its line. There is no limit on the length of a line or a token.
ReadResult readInteger(std::FILE* in, std::int32_t& value);

// Asks for the weight w and the total degree t on out, reading replies from
// in, and refuses every reply that is not an accepted value, asking again.
// Returns false when the input ends before both numbers were accepted.
bool runDialogue(std::FILE* in, std::FILE* out, std::int32_t& w, std::int32_t& t);

} // namespace curtis
