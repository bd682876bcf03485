#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace curtis {

// Writes compact JSON (no blanks, as nlohmann's dump() writes it) straight to
// a stream, value by value, so that no document is held in memory. The
// caller opens and closes objects and arrays in a well-nested order; the
// keys given to key() are the program's own and need no escaping, those
// given to textKey() are escaped as texts are.
class JsonEmitter {
public:
    explicit JsonEmitter(std::FILE* out) : out_(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    // The key of the next member of the open object.
    void key(const char* name) {
        separate();
        std::fprintf(out_, "\"%s\":", name);
        keyed_ = true;
    }

    void value(long long number) {
        separate();
        std::fprintf(out_, "%lld", number);
    }
    void null() {
        separate();
        std::fputs("null", out_);
    }
    void boolean(bool truth) {
        separate();
        std::fputs(truth ? "true" : "false", out_);
    }
    // The key of the next member, a text of any kind: escaped as text is.
    void textKey(const std::string& name) {
        text(name);
        std::fputc(':', out_);
        keyed_ = true;
    }

    // A string, escaped: quotes, backslashes and control characters.
    void text(const std::string& string) {
        separate();
        std::fputc('"', out_);
        for (const char c : string) {
            if (c == '"' || c == '\\') {
                std::fputc('\\', out_);
                std::fputc(c, out_);
            } else if (static_cast<unsigned char>(c) < 0x20) {
                std::fprintf(out_, "\\u%04x", static_cast<unsigned>(c));
            } else {
                std::fputc(c, out_);
            }
        }
        std::fputc('"', out_);
    }
    // An array of numbers.
    template <typename Numbers> void numbers(const Numbers& values) {
        beginArray();
        for (const auto v : values) {
            value(static_cast<long long>(v));
        }
        endArray();
    }

private:
    // A comma before every value but the first of its container, none right
    // after a key.
    void separate() {
        if (keyed_) {
            keyed_ = false;
            return;
        }
        if (!first_.empty()) {
            if (!first_.back()) {
                std::fputc(',', out_);
            }
            first_.back() = false;
        }
    }
    void open(char bracket) {
        separate();
        std::fputc(bracket, out_);
        first_.push_back(true);
    }
    void close(char bracket) {
        std::fputc(bracket, out_);
        first_.pop_back();
    }

    std::FILE* out_;
    std::vector<bool> first_; // per open container: nothing written in it yet
    bool keyed_ = false;
};

} // namespace curtis
