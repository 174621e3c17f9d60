#include "engine/templates/template_reader.h"

#include <cstring>

namespace vorenn {

bool TemplateReader::Take(size_t n) {
  if (failed_ || n > size_ - pos_) {
    failed_ = true;
    return false;
  }
  return true;
}

uint32_t TemplateReader::U32() {
  if (!Take(4)) return 0;
  const uint8_t* p = data_ + pos_;
  pos_ += 4;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::span<const uint8_t> TemplateReader::Bytes(size_t n) {
  if (!Take(n)) return {};
  std::span<const uint8_t> bytes(data_ + pos_, n);
  pos_ += n;
  return bytes;
}

std::string_view TemplateReader::Text() {
  std::span<const uint8_t> bytes = Buffer();
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::span<const uint8_t> TemplateReader::Buffer() {
  uint32_t n = U32();
  return Bytes(n);
}

std::string_view TemplateReader::Strz() {
  if (failed_ || pos_ >= size_) {
    failed_ = true;
    return {};
  }
  const void* zero = std::memchr(data_ + pos_, 0, size_ - pos_);
  if (zero == nullptr) {
    failed_ = true;
    return {};
  }
  size_t n = size_t(static_cast<const uint8_t*>(zero) - (data_ + pos_));
  std::string_view text(reinterpret_cast<const char*>(data_ + pos_), n);
  pos_ += n + 1;
  return text;
}

uint32_t TemplateReader::Count(size_t elementSize) {
  uint32_t n = U32();
  if (failed_ || (elementSize != 0 && n > Remaining() / elementSize)) {
    failed_ = true;
    return 0;
  }
  return n;
}

std::span<const uint8_t> TemplateReader::Rest() {
  if (failed_) return {};
  std::span<const uint8_t> rest(data_ + pos_, size_ - pos_);
  pos_ = size_;
  return rest;
}

}  // namespace vorenn
