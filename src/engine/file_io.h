// Reading and replacing the game's own files without trusting them: only
// regular files are read, and only so much of them; a file is replaced whole
// or left as it was, never emptied.
#pragma once

#include <cstddef>
#include <string>

namespace brin {

// Far above any real content; they keep a file without line ends, or a huge
// one, from growing memory without end.
constexpr std::size_t kMaxLineBytes = std::size_t(1) << 20;
constexpr std::size_t kMaxFileBytes = std::size_t(16) << 20;

enum class FileState {
  kUnreadable,  // missing, a dangling link, or not ours to read
  kNotRegular,  // a FIFO, a device, a folder...: never read
  kRead,
};

struct CFileContents {
  FileState state = FileState::kUnreadable;
  bool cut = false;  // the file holds more than kMaxFileBytes; `bytes` has the first kMaxFileBytes
  int mode = -1;     // permission bits of a file that was read
  std::string bytes;
};

// Reads a regular file. Anything else is looked at without waiting (a FIFO
// with no writer must not hang start-up) and never read.
CFileContents ReadRegularFile(const std::string& path);

// Follows the chain of symbolic links at the end of `path` (a dangling link
// gives the name it points to), so a link can be replaced through, not over.
// False after too many links.
bool ResolveLinks(const std::string& path, std::string& target);

// Replaces the file at `path` with `bytes`: a temporary file beside it is
// written, checked, flushed to disk and renamed over the old one, so a reader
// sees the old content or the new, never a part. A symbolic link stays a link
// and its target is replaced. An existing file keeps its mode; a new one gets
// `newMode` (or the umask's default when negative). On any failure the old
// file is untouched, the temporary file removed, and one line on standard
// error says so.
bool ReplaceFile(const std::string& path, const std::string& bytes, int newMode = -1);

}  // namespace brin
