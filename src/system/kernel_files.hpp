#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Values read from the small text files the kernel provides. A file that is
// missing, unreadable or not in the expected form reads as nothing: the
// callers take that as "no limit", never as an error.

namespace curtis {

// A whole number written in decimal digits alone, without sign, fitting 64
// bits; nothing for anything else.
std::optional<std::uint64_t> parseWholeNumber(const std::string& text);

// The whitespace-separated words of a file, at most `limit` of them; empty
// when it cannot be read.
std::vector<std::string> fileWords(const std::string& path, std::size_t limit = 64);

// The file's first word as a whole number; nothing when there is no such
// file, or its first word is not a whole number ("max", "-1", "12x").
std::optional<std::uint64_t> fileNumber(const std::string& path);

// The number after `key` in a file of "key value" lines (memory.stat), or
// after "key:" in one of "key: value unit" lines (/proc/meminfo).
std::optional<std::uint64_t> keyedNumber(const std::string& path, const std::string& key);

} // namespace curtis
