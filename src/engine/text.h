// Small byte-string helpers shared by the XML reader, the directory listing
// and the image cache.
#pragma once

#include <cstddef>
#include <string>

namespace brin {

// Drops leading and trailing blanks and tabs only; carriage returns and line
// feeds are content.
std::string Trim(const std::string& text);

// Replaces occurrences of `search` one after another, at most `limit` times
// (-1: no limit). Each search resumes where the replacement was put, so text
// a replacement produced is examined again.
std::string ReplaceAll(const std::string& search, const std::string& replacement,
                       const std::string& source, int limit = -1);

// First position at or after `start` holding one of `chars` that is not
// between a pair of double quotes (counted from the start of the text), or
// std::string::npos.
std::size_t FindOutsideQuotes(const std::string& chars, const std::string& text,
                              std::size_t start = 0);

// Lower-cases A to Z; every other byte, UTF-8 included, stays as it is.
std::string ToLower(const std::string& text);

}  // namespace brin
