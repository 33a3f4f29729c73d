// Wrapping text for the panels; see text_wrap.h.
#include "app/text_wrap.h"

#include <algorithm>

std::string wrapText(const std::string& text, size_t width) {
  std::string out, line, word;
  auto flushWord = [&] {
    if (word.empty()) return;
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    word.clear();
  };
  for (char c : text) {
    if (c == ' ' || c == '\n') {
      flushWord();
      if (c == '\n') {
        out += line + "\n";
        line.clear();
      }
    } else {
      word += c;
    }
  }
  flushWord();
  out += line;
  std::replace(out.begin(), out.end(), kUnbreakableSpace, ' ');
  return out;
}
