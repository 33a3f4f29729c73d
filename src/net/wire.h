// Byte layout of what the two machines exchange: little-endian numbers and
// short strings, read back with bounds checks so a damaged packet is
// refused instead of read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace net {

using Bytes = std::vector<uint8_t>;

class CWireWriter {
 public:
  void u8(uint8_t v) { bytes.push_back(v); }
  void u16(uint16_t v) { put(v, 2); }
  void u32(uint32_t v) { put(v, 4); }
  void u64(uint64_t v) { put(v, 8); }
  void str(const std::string& s) {
    const size_t n = s.size() < 0xffff ? s.size() : 0xffff;
    u16(static_cast<uint16_t>(n));
    bytes.insert(bytes.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
  }
  Bytes bytes;

 private:
  void put(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
};

// Every read past the end gives 0 (or an empty string) and clears ok().
class CWireReader {
 public:
  CWireReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit CWireReader(const Bytes& b) : CWireReader(b.data(), b.size()) {}
  uint8_t u8() { return static_cast<uint8_t>(get(1)); }
  uint16_t u16() { return static_cast<uint16_t>(get(2)); }
  uint32_t u32() { return static_cast<uint32_t>(get(4)); }
  uint64_t u64() { return get(8); }
  std::string str() {
    const size_t n = u16();
    if (!ok_ || size_ - pos_ < n) {
      ok_ = false;
      return {};
    }
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }
  bool ok() const { return ok_; }
  bool atEnd() const { return pos_ == size_; }
  size_t left() const { return size_ - pos_; }

 private:
  uint64_t get(int n) {
    if (!ok_ || size_ - pos_ < static_cast<size_t>(n)) {
      ok_ = false;
      return 0;
    }
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += static_cast<size_t>(n);
    return v;
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace net
