#include "app/dialogue.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace curtis {
namespace {

// A readable stream over text, closed when it goes out of scope.
class InputText {
public:
    explicit InputText(const std::string& text) : file_(std::tmpfile()) {
        std::fwrite(text.data(), 1, text.size(), file_);
        std::rewind(file_);
    }
    ~InputText() { std::fclose(file_); }
    InputText(const InputText&) = delete;
    InputText& operator=(const InputText&) = delete;
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_;
};

struct Dialogue {
    bool complete = false;
    std::int32_t w = 0;
    std::int32_t t = 0;
    std::string output;
};

Dialogue talk(const std::string& input) {
    InputText in(input);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    Dialogue dialogue;
    dialogue.complete = runDialogue(in.get(), out, dialogue.w, dialogue.t);
    std::fclose(out);
    dialogue.output.assign(buffer, size);
    std::free(buffer);
    return dialogue;
}

ReadResult readOne(const std::string& input, std::int32_t& value) {
    InputText in(input);
    return readInteger(in.get(), value);
}

TEST(ReadInteger, AcceptsDecimalIntegersWithBlanksAndSign) {
    std::int32_t value = 0;
    EXPECT_EQ(readOne("42\n", value), ReadResult::Value);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(readOne("  -17 \t\r\n", value), ReadResult::Value);
    EXPECT_EQ(value, -17);
    EXPECT_EQ(readOne("+8", value), ReadResult::Value); // a last line without newline
    EXPECT_EQ(value, 8);
    EXPECT_EQ(readOne("2147483647\n", value), ReadResult::Value);
    EXPECT_EQ(value, INT32_MAX);
    EXPECT_EQ(readOne("-2147483648\n", value), ReadResult::Value);
    EXPECT_EQ(value, INT32_MIN);
    EXPECT_EQ(readOne("000000000000000000000000000000000000000000000000007\n", value),
              ReadResult::Value);
    EXPECT_EQ(value, 7);
}

TEST(ReadInteger, RefusesEverythingElseAndLeavesTheValue) {
    for (const char* reply : {"abc\n", "1.5\n", "99999999999\n", "2147483648\n", "-2147483649\n",
                              "- 3\n", "+\n", "0x10\n", "12abc\n", "1e3\n"}) {
        std::int32_t value = 123;
        EXPECT_EQ(readOne(reply, value), ReadResult::Invalid) << reply;
        EXPECT_EQ(value, 123) << reply;
    }
    std::int32_t value = 0;
    EXPECT_EQ(readOne(std::string(100000, '1') + "\n", value), ReadResult::Invalid);
    EXPECT_EQ(readOne(std::string("5\0", 2) + "\n", value), ReadResult::Invalid);
    EXPECT_EQ(readOne("", value), ReadResult::EndOfInput);
    EXPECT_EQ(readOne(" \n\t\n", value), ReadResult::EndOfInput);
}

TEST(ReadInteger, TokensWhateverTheLines) {
    // Two replies on one line, blank lines and long runs of blanks between
    // them: each token is one reply.
    InputText in("0 6\n\n\n" + std::string(100, ' ') + "5\n" + std::string(10000, ' ') + "\n-4");
    std::int32_t value = -1;
    for (std::int32_t expected : {0, 6, 5, -4}) {
        EXPECT_EQ(readInteger(in.get(), value), ReadResult::Value);
        EXPECT_EQ(value, expected);
    }
    EXPECT_EQ(readInteger(in.get(), value), ReadResult::EndOfInput);
}

TEST(ReadInteger, ARefusedTokenTakesTheRestOfItsLine) {
    InputText in("1.5 and 7 more\n-4 x\n8\n");
    std::int32_t value = 0;
    EXPECT_EQ(readInteger(in.get(), value), ReadResult::Invalid);
    EXPECT_EQ(readInteger(in.get(), value), ReadResult::Value);
    EXPECT_EQ(value, -4);
    EXPECT_EQ(readInteger(in.get(), value), ReadResult::Invalid); // x, then the line ends
    EXPECT_EQ(readInteger(in.get(), value), ReadResult::Value);
    EXPECT_EQ(value, 8);
    EXPECT_EQ(readInteger(in.get(), value), ReadResult::EndOfInput);
}

TEST(Dialogue, PromptsAndRefusals) {
    Dialogue d = talk("3\n7\n");
    EXPECT_TRUE(d.complete);
    EXPECT_EQ(d.w, 3);
    EXPECT_EQ(d.t, 7);
    EXPECT_EQ(d.output, "Please input weight:\nw=\nPlease input total degree:\nt=\n\n");

    d = talk("0\n0\n-2\n1\n");
    EXPECT_TRUE(d.complete);
    EXPECT_EQ(d.t, 1);
    EXPECT_EQ(d.output, "Please input weight:\nw=\nPlease input total degree:\nt="
                        "Trivial for degree reasons! Please input again:\nt="
                        "Trivial for degree reasons! Please input again:\nt=\n\n");
}

TEST(Dialogue, BadRepliesAreAskedForAgain) {
    const std::string notAnInteger =
        "Not an integer from -1000000000 to 1000000000! Please input again:\n";
    const std::string notADegree = "Not an integer from 1 to 255! Please input again:\n";
    Dialogue d = talk("x\n\n1000000001\n-1000000000\n1.5\n256\n2147483647\n64\n");
    EXPECT_TRUE(d.complete);
    EXPECT_EQ(d.w, -1000000000);
    EXPECT_EQ(d.t, 64);
    const std::string tooLarge = "Too large: the total degree can be at most 255, beyond it a word "
                                 "has more entries than the program's words hold! Please input "
                                 "again:\n";
    EXPECT_EQ(d.output, "Please input weight:\nw=" + notAnInteger + "w=" +
                            "The weight must lie between -1000000000 and 1000000000! Please "
                            "input again:\nw=\nPlease input total degree:\nt=" +
                            notADegree + "t=" + tooLarge + "t=" + tooLarge + "t=\n\n");
}

TEST(Dialogue, BothRepliesOnOneLineAsOnTwo) {
    const Dialogue one = talk("0 6\n");
    const Dialogue two = talk("0\n6\n");
    EXPECT_TRUE(one.complete);
    EXPECT_EQ(one.w, 0);
    EXPECT_EQ(one.t, 6);
    EXPECT_EQ(one.output, two.output);
    // A refused degree and the next one on the same line.
    const Dialogue again = talk("3 0 7\n");
    EXPECT_TRUE(again.complete);
    EXPECT_EQ(again.t, 7);
}

TEST(Dialogue, EndOfInputStopsAsking) {
    EXPECT_FALSE(talk("").complete);
    EXPECT_FALSE(talk("5\n").complete);
    Dialogue d = talk("5\n0\n");
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.output, "Please input weight:\nw=\nPlease input total degree:\nt="
                        "Trivial for degree reasons! Please input again:\nt=");
    EXPECT_FALSE(talk("abc\n").complete);
}

} // namespace
} // namespace curtis
