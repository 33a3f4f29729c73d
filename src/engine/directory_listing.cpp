// Folder search over POSIX opendir/readdir with the listing's own mask
// matcher, so the result does not depend on any wildcard rules of the system.
#include "engine/directory_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "engine/text.h"

namespace brin {

namespace {

std::string normalise(const std::string& pattern) {
  std::string out = pattern == "." ? std::string("./*.*") : pattern;
  std::replace(out.begin(), out.end(), '\\', '/');
  return Trim(out);
}

// Reads the folder once; the entry type from readdir is not trusted (some
// file systems leave it unknown, and a link must count as what it points
// to), so every entry is looked at with stat, which follows links. A link
// whose target is gone fails stat and is left out.
void readFolder(const std::string& folder, std::vector<std::string>& folders,
                std::vector<std::string>& files) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  const std::string prefix = folder.back() == '/' ? folder : folder + "/";
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name == "." || name == "..") continue;
    struct stat info {};
    if (stat((prefix + name).c_str(), &info) != 0) continue;
    (S_ISDIR(info.st_mode) ? folders : files).push_back(name);
  }
  closedir(dir);
}

}  // namespace

CDirectoryListing::CDirectoryListing() : cursor_(names_.end()) {}

std::string CDirectoryListing::FolderPart(const std::string& pattern) {
  const std::string text = normalise(pattern);
  const std::size_t slash = text.rfind('/');
  if (slash == std::string::npos) return "./*.*";
  const std::string head = text.substr(0, slash);
  if (!head.empty() && head.back() == '/') return head + "*.*";
  return head + "/*.*";
}

std::string CDirectoryListing::MaskPart(const std::string& pattern) {
  const std::string text = normalise(pattern);
  const std::size_t slash = text.rfind('/');
  if (slash == std::string::npos) return text;
  const std::string tail = text.substr(slash + 1);
  return tail.find('.') == std::string::npos ? std::string("*.*") : tail;
}

std::vector<std::string> CDirectoryListing::Split(const std::string& text,
                                                  const std::string& delimiter) {
  std::vector<std::string> pieces;
  if (delimiter.empty()) {
    if (!text.empty()) pieces.push_back(text);
    return pieces;
  }
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t at = text.find(delimiter, begin);
    if (at == std::string::npos) at = text.size();
    if (at > begin) pieces.push_back(text.substr(begin, at - begin));
    begin = at + delimiter.size();
  }
  return pieces;
}

bool CDirectoryListing::MatchMask(const std::string& name, const std::string& mask) {
  const std::vector<std::string> pieces = Split(mask, "*");
  const bool starFirst = !mask.empty() && mask.front() == '*';
  const bool starLast = !mask.empty() && mask.back() == '*';
  std::size_t start = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    const std::size_t at = name.find(piece, start);
    if (at == std::string::npos) return false;
    if (i == 0 && !starFirst && at != 0) return false;
    if (i + 1 == pieces.size() && !starLast && at + piece.size() != name.size()) return false;
    start = at + piece.size();
  }
  return true;
}

void CDirectoryListing::List(const std::string& pattern) {
  names_.clear();
  const std::string mask = MaskPart(pattern);
  std::string folder = FolderPart(pattern);
  folder.resize(folder.size() - 3);  // drop the "*.*" the folder part always ends in
  std::vector<std::string> folders;
  std::vector<std::string> files;
  readFolder(folder, folders, files);
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  // A folder name is matched with a dot appended, so "*.*" accepts folder
  // names that hold none.
  for (const std::string& name : folders) {
    if (MatchMask(name + ".", mask)) names_.push_back(name);
  }
  for (const std::string& name : files) {
    if (MatchMask(name, mask)) names_.push_back(name);
  }
  cursor_ = names_.begin();
}

bool CDirectoryListing::AtEnd() const { return cursor_ == names_.end(); }

std::string CDirectoryListing::Next() {
  if (AtEnd()) return std::string();
  return *cursor_++;
}

}  // namespace brin
