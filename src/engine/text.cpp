// Byte-string helpers of the brin library.
#include "engine/text.h"

#include <cctype>

namespace brin {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string ReplaceAll(const std::string& search, const std::string& replacement,
                       const std::string& source, int limit) {
  if (search.empty() || limit == 0) return source;
  // A replacement that holds the search text would be found again forever,
  // so without a limit the search then resumes after it instead.
  const bool resumeAfter = limit < 0 && replacement.find(search) != std::string::npos;

  // Unread input is kept reversed on a stack so that putting a replacement
  // back in front of it costs only the replacement's length: the whole run
  // stays linear however many entities a value holds.
  std::string pending(source.rbegin(), source.rend());
  std::string out;
  out.reserve(source.size());
  std::size_t barrier = 0;  // text before this in `out` is never searched again
  int done = 0;
  const std::size_t n = search.size();
  while (!pending.empty()) {
    out.push_back(pending.back());
    pending.pop_back();
    if (out.size() - barrier < n || out.compare(out.size() - n, n, search) != 0) continue;
    out.resize(out.size() - n);
    if (resumeAfter) {
      out += replacement;
    } else {
      pending.append(replacement.rbegin(), replacement.rend());
    }
    barrier = out.size();
    if (limit > 0 && ++done >= limit) break;
  }
  out.append(pending.rbegin(), pending.rend());
  return out;
}

std::size_t FindOutsideQuotes(const std::string& chars, const std::string& text,
                              std::size_t start) {
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && i >= start && chars.find(c) != std::string::npos) {
      return i;
    }
  }
  return std::string::npos;
}

std::string ToLower(const std::string& text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace brin
