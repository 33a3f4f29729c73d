// The longest input a fuzz target was handed, said once as the process ends,
// so a run's log shows how far its inputs reached and not only how many ran.
#pragma once

#include <cstddef>
#include <cstdio>

class CLongestInput {
 public:
  explicit CLongestInput(const char* target) : target_(target) {}
  ~CLongestInput() { std::fprintf(stderr, "%s: longest input %zu bytes\n", target_, bytes_); }
  CLongestInput(const CLongestInput&) = delete;
  CLongestInput& operator=(const CLongestInput&) = delete;

  void note(std::size_t size) {
    if (size > bytes_) bytes_ = size;
  }

 private:
  const char* target_;
  std::size_t bytes_ = 0;
};
