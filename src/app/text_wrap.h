// Breaking a sentence into the lines of an overlay panel, which holds a fixed
// number of characters a line.
#pragma once

#include <cstddef>
#include <string>

// Joins two words that read badly apart ("port 28470"); wrapping turns it
// back into a space.
constexpr char kUnbreakableSpace = '\x1f';

// Breaks at spaces so no line is longer than `width` (a longer word stands
// alone); line breaks in the text are kept.
std::string wrapText(const std::string& text, size_t width);
