// Lists the sub-folders and then the files of one folder that match a
// file-name mask, handing out bare names one by one.
#pragma once

#include <list>
#include <string>
#include <vector>

namespace brin {

class CDirectoryListing {
 public:
  CDirectoryListing();

  // Replaces the names with the matches of `pattern` (a folder path and a
  // mask such as "data/gfx/*.*"): sub-folders first, then files, each group
  // sorted byte-wise.
  void List(const std::string& pattern);
  bool AtEnd() const;
  // The name under the cursor, moving on; an empty name once at the end.
  std::string Next();

  // The pieces of a pattern, exposed for the tests of the mask rules.
  static std::string FolderPart(const std::string& pattern);
  static std::string MaskPart(const std::string& pattern);
  static std::vector<std::string> Split(const std::string& text, const std::string& delimiter);
  static bool MatchMask(const std::string& name, const std::string& mask);

 private:
  std::list<std::string> names_;
  std::list<std::string>::const_iterator cursor_;
};

}  // namespace brin
