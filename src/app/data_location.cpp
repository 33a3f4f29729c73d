// Finding the content folder; see data_location.h.
#include "app/data_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <iostream>

namespace {

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

}  // namespace

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
    if (hasDataFolder(dir)) return dir == candidates.front() || chdir(dir.c_str()) == 0;
  }
  std::cout << "Could not find the game's data folder. Looked for data/ in:" << std::endl;
  for (const std::string& dir : candidates) std::cout << "  " << dir << std::endl;
  std::cout << "Start the game from the folder that holds data/." << std::endl;
  return false;
}
