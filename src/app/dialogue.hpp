#pragma once

#include "elimination/computation.hpp"

#include <cstdint>
#include <cstdio>

namespace curtis {

enum class ReadResult {
    Value,      // a decimal integer in the 32-bit range was read
    Invalid,    // the line held something else; it has been consumed
    EndOfInput, // the input ended before a line began
};

// Reads one line of in (up to and including its newline, or to the end of the
// input) and parses it as a decimal integer with an optional sign, blanks
// allowed around it.
ReadResult readInteger(std::FILE* in, std::int32_t& value);

// Asks for the weight w and the total degree t on out, reading replies from
// in, and refuses every reply that is not an accepted value, asking again.
// Returns false when the input ends before both numbers were accepted.
bool runDialogue(std::FILE* in, std::FILE* out, std::int32_t& w, std::int32_t& t);

} // namespace curtis
