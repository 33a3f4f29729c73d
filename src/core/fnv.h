// FNV-1a over bytes: the fingerprint of worlds compared between machines and
// replays, and of the files two players must share. Byte for byte, so equal
// values on the same build give equal hashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct Fnv {
  uint64_t h = 1469598103934665603ull;
  void add(const void* data, size_t n) {
    const auto* b = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < n; ++i) {
      h ^= b[i];
      h *= 1099511628211ull;
    }
  }
  template <typename T>
  void add(T v) {
    add(&v, sizeof v);
  }
};

inline uint64_t fnvOf(const std::string& bytes) {
  Fnv f;
  f.add(bytes.data(), bytes.size());
  return f.h;
}
