// A scratch folder for tests that read and write files, removed afterwards,
// a working-directory switch that returns to the earlier one, and what a call
// printed.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testing_support {

struct TempFolder {
  TempFolder() : path_((std::filesystem::temp_directory_path() / "brin_test_XXXXXX").string()) {
    if (!mkdtemp(path_.data())) std::abort();
  }
  ~TempFolder() { std::filesystem::remove_all(path_, ignored_); }

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const { std::ofstream(file(name), std::ios::binary) << bytes; }
  std::string read(const std::string& name) const {
    std::ostringstream text;  // empty for a folder or a missing file
    text << std::ifstream(file(name), std::ios::binary).rdbuf();
    return text.str();
  }
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
