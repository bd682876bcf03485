#include "table/packed_words.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace curtis {
namespace {

// Words read back are the words pushed, in order: words of every length,
// repeated, sharing starts of every size with the word before (all of a
// 256-entry word too, more than a byte counts), or nothing.
TEST(PackedWords, GiveBackTheWordsPushed) {
    std::mt19937 random(52);
    for (const int length : {1, 2, 7, 16, 255, 256}) {
        std::vector<Entry> words;
        std::vector<Entry> word(static_cast<std::size_t>(length), 3);
        for (int w = 0; w < 300; ++w) {
            // Change entries from a random place on, or none.
            const int from = static_cast<int>(random() % static_cast<unsigned>(length + 1));
            for (int e = from; e < length; ++e) {
                word[static_cast<std::size_t>(e)] = static_cast<Entry>(random() % 4);
            }
            words.insert(words.end(), word.begin(), word.end());
        }
        PackedWords packed(length);
        for (std::size_t at = 0; at < words.size(); at += word.size()) {
            packed.push(words.data() + at);
        }
        packed.seal();
        std::vector<Entry> read;
        EXPECT_TRUE(packed.forEach([&](const Entry* w) {
            read.insert(read.end(), w, w + length);
            return true;
        }));
        EXPECT_EQ(read, words) << length;
        EXPECT_EQ(packed.size(), 300) << length;
    }
}

} // namespace
} // namespace curtis
