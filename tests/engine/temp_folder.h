// A scratch folder for tests that read and write files, removed afterwards.
#pragma once

#include <fstream>
#include <string>

namespace engine_tests {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes bytes exactly as given (no line-end translation).
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  void makeFolder(const std::string& name) const;

 private:
  std::string path_;
};

// Runs in the folder for its lifetime and returns to the earlier working
// directory afterwards.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::string previous_;
};

}  // namespace engine_tests
