#include "app/dialogue.hpp"

namespace curtis {

namespace {

bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Writes text and makes sure it is visible before the program waits for input.
void say(std::FILE* out, const char* text) {
    std::fputs(text, out);
    std::fflush(out);
}

} // namespace

ReadResult readInteger(std::FILE* in, std::int32_t& value) {
    int c = std::getc(in);
    while (c != EOF && isSpace(c)) {
        c = std::getc(in);
    }
    if (c == EOF) {
        return ReadResult::EndOfInput;
    }
    // The token runs to the next blank or the end of the input; it is parsed
    // as it is read, so no length is too long.
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::getc(in);
    }
    bool valid = c != EOF && !isSpace(c);
    std::int64_t magnitude = 0;
    for (; c != EOF && !isSpace(c); c = std::getc(in)) {
        if (c < '0' || c > '9') {
            valid = false;
        } else if (valid) {
            magnitude = magnitude * 10 + (c - '0');
            valid = magnitude <= (std::int64_t{1} << 31);
        }
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (!valid || signedValue > INT32_MAX || signedValue < INT32_MIN) {
        // The rest of the line goes with the refused token.
        while (c != EOF && c != '\n') {
            c = std::getc(in);
        }
        return ReadResult::Invalid;
    }
    // The blank that ended the token is consumed with it: a reply that ends
    // its line takes the line along, as a typed answer does.
    value = static_cast<std::int32_t>(signedValue);
    return ReadResult::Value;
}

bool runDialogue(std::FILE* in, std::FILE* out, std::int32_t& w, std::int32_t& t) {
    say(out, "Please input weight:\nw=");
    for (;;) {
        const ReadResult result = readInteger(in, w);
        if (result == ReadResult::EndOfInput) {
            return false;
        }
        if (result == ReadResult::Invalid) {
            std::fprintf(out, "Not an integer from %d to %d! Please input again:\n",
                         -maxWeightMagnitude, maxWeightMagnitude);
        } else if (w > maxWeightMagnitude || w < -maxWeightMagnitude) {
            std::fprintf(out, "The weight must lie between %d and %d! Please input again:\n",
                         -maxWeightMagnitude, maxWeightMagnitude);
        } else {
            break;
        }
        say(out, "w=");
    }
    say(out, "\n");

    say(out, "Please input total degree:\nt=");
    for (;;) {
        const ReadResult result = readInteger(in, t);
        if (result == ReadResult::EndOfInput) {
            return false;
        }
        if (result == ReadResult::Invalid) {
            std::fprintf(out, "Not an integer from 1 to %d! Please input again:\n", maxTotalDegree);
        } else if (t < 1) {
            say(out, "Trivial for degree reasons! Please input again:\n");
        } else if (t > maxTotalDegree) {
            std::fprintf(out,
                         "Too large: the total degree can be at most %d, beyond it a word has "
                         "more entries than the program's words hold! Please input again:\n",
                         maxTotalDegree);
        } else {
            break;
        }
        say(out, "t=");
    }
    say(out, "\n\n");
    return true;
}

} // namespace curtis
