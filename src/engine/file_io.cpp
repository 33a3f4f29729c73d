// Bounded reads of regular files and whole-file replacement through a
// temporary file and rename, on POSIX calls so every step can be checked.
#include "engine/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

namespace brin {

namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kMaxTempAttempts = 100;

// Temporary names carry the process id and a counter, so two copies of the
// game writing the same file at once never share one.
unsigned g_tempCounter = 0;

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool fail(const std::string& path, const char* reason) {
  std::cerr << "Could not write " << path << ": " << reason << "; the file was left as it was"
            << std::endl;
  return false;
}

// After the rename only the folder's entry makes the new file the one found
// at the next start; losing that flush loses nothing old, so it is not checked.
void flushFolder(const std::string& folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  if (fsync(fd) != 0) {
    // Nothing to undo: the new file is in place either way.
  }
  close(fd);
}

}  // namespace

CFileContents ReadRegularFile(const std::string& path) {
  CFileContents out;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return out;
  if (!S_ISREG(info.st_mode)) {
    out.state = FileState::kNotRegular;
    return out;
  }
  // Checked again on what was opened: the name may have changed hands since.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return out;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    out.state = FileState::kNotRegular;
    return out;
  }
  out.state = FileState::kRead;
  out.mode = static_cast<int>(info.st_mode & 07777);
  std::vector<char> chunk(64 * 1024);
  while (out.bytes.size() <= kMaxFileBytes) {
    const ssize_t n = read(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the end, or an error: what was read stands
    out.bytes.append(chunk.data(), static_cast<std::size_t>(n));
  }
  close(fd);
  if (out.bytes.size() > kMaxFileBytes) {
    out.bytes.resize(kMaxFileBytes);
    out.cut = true;
  }
  return out;
}

bool ResolveLinks(const std::string& path, std::string& target) {
  target = path;
  std::vector<char> buffer(4096);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    const ssize_t n = readlink(target.c_str(), buffer.data(), buffer.size());
    if (n < 0) return true;  // gone since the lstat: the name itself is the target
    if (n == 0 || static_cast<std::size_t>(n) >= buffer.size()) return false;
    const std::string link(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = target.rfind('/');
    if (link[0] == '/' || slash == std::string::npos) {
      target = link;
    } else {
      target = target.substr(0, slash + 1) + link;
    }
  }
  return false;
}

bool ReplaceFile(const std::string& path, const std::string& bytes, int newMode) {
  std::string target;
  if (!ResolveLinks(path, target)) return fail(path, std::strerror(ELOOP));
  struct stat info {};
  const bool exists = stat(target.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) return fail(path, "not a regular file");
  // The rename needs only the folder's permission; a file its owner made
  // read-only stays as it is.
  if (exists && access(target.c_str(), W_OK) != 0) return fail(path, std::strerror(errno));

  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < kMaxTempAttempts; ++attempt) {
    temp = folder + "." + base + "." + std::to_string(getpid()) + "." + std::to_string(g_tempCounter++);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return fail(path, std::strerror(errno));

  const int mode = exists ? static_cast<int>(info.st_mode & 07777) : newMode;
  if (mode >= 0 && fchmod(fd, static_cast<mode_t>(mode)) != 0) {
    // A file system without modes keeps its own; the content matters more.
  }
  bool ok = writeAll(fd, bytes) && fsync(fd) == 0;
  int error = errno;
  // Some file systems report a failed write only when the file is closed.
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return fail(path, std::strerror(error));
  }
  flushFolder(folder);
  return true;
}

}  // namespace brin
