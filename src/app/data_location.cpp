// Finding the content folder, and the player's own folder for an installed
// game; see data_location.h.
#include "app/data_location.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

const char* const kLinkedItems[] = {"gfx", "parts", "sfx"};
// The files the game rewrites or the player edits, as the launcher copies them.
const char* const kCopiedFiles[] = {"settings.xml", "app_settings.xml"};

bool hasDataFolder(const std::string& dir) {
  struct stat st {};
  std::string path = dir.empty() ? "data" : dir + "/data";
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string executableDir() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string workingDir() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof(buf)) ? std::string(buf) : std::string(".");
}

// Empty when the path does not resolve.
std::string resolved(const std::string& path) {
  char buf[PATH_MAX];
  return realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool isAbsolute(const char* path) { return path && path[0] == '/'; }

// Where setting up the player's folder stopped, for the one line about it.
struct Failure {
  std::string path;
  int error = 0;
  bool set(const std::string& at) {
    path = at;
    error = errno;
    return false;
  }
};

// Each missing folder along the path, private to the player as the
// launcher's umask makes them; folders already there keep their modes.
bool makeFolders(const std::string& path, Failure& failure) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return failure.set(prefix);
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return failure.set(path);
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return failure.set(path);
  }
  return true;
}

// Only a link an installed game made (into some share/vesicor, or to this
// one) is replaced, so an upgrade brings new content; anything else there is
// the player's.
bool linkContent(const std::string& installedData, const std::string& userData, const std::string& item,
                 Failure& failure) {
  const std::string link = userData + "/" + item;
  const std::string target = installedData + "/" + item;
  struct stat st {};
  if (lstat(link.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) return true;
    char buf[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), buf, sizeof(buf) - 1);
    const std::string points = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    if (points != target && !endsWith(points, "/share/vesicor/data/" + item)) return true;
    // The launcher's own spelling of the same folder is left as it is.
    if (!resolved(link).empty() && resolved(link) == resolved(target)) return true;
    if (unlink(link.c_str()) != 0) return failure.set(link);
  }
  return symlink(target.c_str(), link.c_str()) == 0 || failure.set(link);
}

// A copy is made only where there is nothing at all (not even a dangling
// link, which would be written through), and is the player's alone.
bool copyWhenMissing(const std::string& from, const std::string& to, Failure& failure) {
  struct stat st {};
  if (lstat(to.c_str(), &st) == 0) return true;
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return true;  // nothing installed to copy
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  bool ok = out >= 0;
  char buf[8192];
  for (ssize_t n; ok && (n = read(in, buf, sizeof buf)) != 0;) {
    ok = n > 0;
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t wrote = write(out, buf + done, static_cast<size_t>(n - done));
      ok = wrote > 0;
      done += ok ? wrote : 0;
    }
  }
  if (!ok) failure.set(to);
  close(in);
  if (out >= 0 && close(out) != 0 && ok) ok = failure.set(to);
  if (!ok && out >= 0) unlink(to.c_str());
  return ok;
}

}  // namespace

std::string userDataFolder(const char* xdgDataHome, const char* home) {
  // A relative data home is no data home (the XDG base-directory rules).
  if (isAbsolute(xdgDataHome)) return std::string(xdgDataHome) + "/vesicor";
  if (isAbsolute(home)) return std::string(home) + "/.local/share/vesicor";
  return std::string();
}

bool isInstalledDataFolder(const std::string& dir, const std::string& userFolder) {
  const std::string real = resolved(dir);
  if (real.empty() || (!userFolder.empty() && real == resolved(userFolder))) return false;
  // By name first: root may write anywhere, and a package's files are not
  // the player's to change.
  if (endsWith(real, "/share/vesicor") || endsWith(resolved(dir + "/data"), "/share/vesicor/data")) return true;
  return access((dir + "/data").c_str(), W_OK) != 0;
}

bool enterUserFolder(const std::string& installedDir, const std::string& userFolder) {
  const std::string installed = resolved(installedDir).empty() ? installedDir : resolved(installedDir);
  if (userFolder.empty()) {
    std::cout << "Not started: the game in " << installed << " is installed and not written to, and there is no "
              << "folder of your own for its files: set HOME (or XDG_DATA_HOME) to an absolute path" << std::endl;
    return false;
  }
  Failure failure;
  const std::string userData = userFolder + "/data";
  bool ok = makeFolders(userData, failure);
  for (const char* item : kLinkedItems) ok = ok && linkContent(installed + "/data", userData, item, failure);
  for (const char* file : kCopiedFiles)
    ok = ok && copyWhenMissing(installed + "/data/" + file, userData + "/" + file, failure);
  if (ok && chdir(userFolder.c_str()) != 0) ok = failure.set(userFolder);
  if (!ok) {
    std::cout << "Not started: the game in " << installed << " is installed and not written to, and its files "
              << "cannot be kept in " << failure.path << ": " << std::strerror(failure.error) << std::endl;
    return false;
  }
  std::cout << "The game in " << installed << " is installed: its settings, options and match records are kept in "
            << userFolder << std::endl;
  return true;
}

std::vector<std::string> dataFolderCandidates(const std::string& cwd, const std::string& exeDir) {
  std::vector<std::string> out{cwd};
  if (!exeDir.empty()) {
    out.push_back(exeDir);
    // Where the build folder sits inside the source tree.
    out.push_back(exeDir + "/..");
    out.push_back(exeDir + "/../share/vesicor");
    out.push_back(exeDir + "/../../share/vesicor");
  }
  return out;
}

bool enterDataFolder() { return enterDataFolderFrom(workingDir(), executableDir()); }

bool enterDataFolderFrom(const std::string& cwd, const std::string& exeDir) {
  std::vector<std::string> candidates = dataFolderCandidates(cwd, exeDir);
  for (const std::string& dir : candidates) {
    if (!hasDataFolder(dir)) continue;
    const std::string user = userDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (isInstalledDataFolder(dir, user)) return enterUserFolder(dir, user);
    return dir == candidates.front() || chdir(dir.c_str()) == 0;
  }
  std::cout << "Could not find the game's data folder. Looked for data/ in:" << std::endl;
  for (const std::string& dir : candidates) std::cout << "  " << dir << std::endl;
  std::cout << "Start the game from the folder that holds data/." << std::endl;
  return false;
}
