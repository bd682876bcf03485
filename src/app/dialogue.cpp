#include "app/dialogue.hpp"

namespace curtis {

namespace {

// Replies longer than this cannot be a 32-bit integer with sensible blanks.
constexpr int maxReplyLength = 64;

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool parseInteger(const char* text, int length, std::int32_t& value) {
    int i = 0;
    while (i < length && isBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const int firstDigit = i;
    std::int64_t magnitude = 0;
    while (i < length && text[i] >= '0' && text[i] <= '9') {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > std::int64_t{1} << 31) {
            return false;
        }
        ++i;
    }
    if (i == firstDigit) {
        return false;
    }
    while (i < length && isBlank(text[i])) {
        ++i;
    }
    if (i != length) {
        return false;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX || signedValue < INT32_MIN) {
        return false;
    }
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

// Writes text and makes sure it is visible before the program waits for input.
void say(std::FILE* out, const char* text) {
    std::fputs(text, out);
    std::fflush(out);
}

} // namespace

ReadResult readInteger(std::FILE* in, std::int32_t& value) {
    char line[maxReplyLength];
    int length = 0;
    bool tooLong = false;
    int c = std::getc(in);
    if (c == EOF) {
        return ReadResult::EndOfInput;
    }
    for (; c != EOF && c != '\n'; c = std::getc(in)) {
        if (length < maxReplyLength) {
            line[length++] = static_cast<char>(c);
        } else {
            tooLong = true;
        }
    }
    if (tooLong || !parseInteger(line, length, value)) {
        return ReadResult::Invalid;
    }
    return ReadResult::Value;
}

bool runDialogue(std::FILE* in, std::FILE* out, std::int32_t& w, std::int32_t& t) {
    static const char* const notAnInteger =
        "Not an integer from -2147483648 to 2147483647! Please input again:\n";

    say(out, "Please input weight:\nw=");
    for (;;) {
        const ReadResult result = readInteger(in, w);
        if (result == ReadResult::EndOfInput) {
            return false;
        }
        if (result == ReadResult::Invalid) {
            say(out, notAnInteger);
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
            say(out, notAnInteger);
        } else if (t < 1) {
            say(out, "Trivial for degree reasons! Please input again:\n");
        } else if (t > maxTotalDegree) {
            std::fprintf(out,
                         "Too large: the total degree can be at most %d, beyond it a level has "
                         "more generators than 32-bit counts hold! Please input again:\n",
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
