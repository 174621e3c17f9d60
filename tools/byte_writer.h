// Little-endian byte output for the template builder, and the UTF-8 to GBK conversion of the texts
// that the description holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorenn::tools {

// Converts UTF-8 text to GBK bytes; throws std::runtime_error naming the text when a character has
// no GBK form.
std::string ToGbk(std::string_view utf8);

class ByteWriter {
 public:
  void U32(uint32_t v);
  void I32(int32_t v) { U32(uint32_t(v)); }
  void U8(uint8_t v) { bytes_.push_back(v); }
  void Raw(std::string_view bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
  void Raw(const std::vector<uint8_t>& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
  // u32 count, then the bytes, no terminator.
  void Text(std::string_view gbk);
  void Buffer(const std::vector<uint8_t>& bytes);
  // The bytes and one zero byte.
  void Strz(std::string_view gbk);

  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace vorenn::tools
