// A scratch folder for tests that read and write files, removed afterwards,
// a working-directory switch that returns to the earlier one, what a file
// holds, what a call printed and how often a text occurs in it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testing_support {

// Empty for a folder or a missing file.
inline std::string fileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline int occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

struct TempFolder {
  TempFolder() : path_((std::filesystem::temp_directory_path() / "brin_test_XXXXXX").string()) {
    if (!mkdtemp(path_.data())) std::abort();
  }
  ~TempFolder() { std::filesystem::remove_all(path_, ignored_); }

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const { std::ofstream(file(name), std::ios::binary) << bytes; }
  std::string read(const std::string& name) const { return fileText(file(name)); }
  void makeFolder(const std::string& name) const { std::filesystem::create_directory(file(name)); }

 private:
  std::string path_;
  std::error_code ignored_;
};

struct WorkingDirectory {
  explicit WorkingDirectory(const std::string& path) { std::filesystem::current_path(path); }
  ~WorkingDirectory() { std::filesystem::current_path(previous, ignored); }
  std::filesystem::path previous = std::filesystem::current_path();
  std::error_code ignored;
};

template <class Call>
std::string printedBy(Call call) {
  testing::internal::CaptureStdout();
  call();
  return testing::internal::GetCapturedStdout();
}

}  // namespace testing_support
