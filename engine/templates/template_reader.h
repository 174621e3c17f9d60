// Bounds-checked little-endian reading of template bytes: the segment and the units' own data.
//
// A read that would pass the end, or a count whose elements cannot fit in the bytes left, marks the
// reader failed; from then on every read answers 0 or empty and Failed() stays true, so a parser
// can read a whole structure and check once. Reads never touch memory outside [data, data + size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vorenn {

class TemplateReader {
 public:
  TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(data == nullptr ? 0 : size) {}
  explicit TemplateReader(std::span<const uint8_t> bytes) : TemplateReader(bytes.data(), bytes.size()) {}

  uint32_t U32();
  int32_t I32() { return int32_t(U32()); }
  // The next n bytes.
  std::span<const uint8_t> Bytes(size_t n);
  // u32 byte count, then the bytes (a text has no terminator).
  std::string_view Text();
  std::span<const uint8_t> Buffer();
  // Bytes up to a zero byte, which is consumed; failed when no zero byte follows.
  std::string_view Strz();
  // A u32 count of elements of elementSize bytes each, which must fit in the bytes left.
  uint32_t Count(size_t elementSize);
  // Everything not yet read.
  std::span<const uint8_t> Rest();

  size_t Position() const { return pos_; }
  size_t Remaining() const { return size_ - pos_; }
  bool Failed() const { return failed_; }
  void Fail() { failed_ = true; }

 private:
  bool Take(size_t n);

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace vorenn
