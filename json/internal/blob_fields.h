// The fields of the value blob (json/json_value.h), written onto the end of a text and read back,
// shared by the value's own blob code and the parser, which writes nested values as blobs directly.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace vorenn::json_blob {

template <typename T>
void AppendFixed(std::string& out, T value) {
  char raw[sizeof value];
  std::memcpy(raw, &value, sizeof value);
  out.append(raw, sizeof raw);
}

inline void AppendField(std::string& out, std::string_view bytes) {
  AppendFixed(out, int32_t(bytes.size()));
  out.append(bytes);
}

// A field whose bytes are written after it is opened: OpenField leaves room for the count and
// gives its place, CloseField writes the count of what was appended since.
inline size_t OpenField(std::string& out) {
  size_t at = out.size();
  out.append(sizeof(int32_t), '\0');
  return at;
}

inline void CloseField(std::string& out, size_t at) {
  auto n = int32_t(out.size() - at - sizeof(int32_t));
  std::memcpy(out.data() + at, &n, sizeof n);
}

// Reads blob fields; every read checks the bytes that are left, so a blob cut short (or one with
// counts that do not fit) ends the reading instead of running past the end.
class Reader {
 public:
  explicit Reader(std::string_view blob) : rest_(blob) {}

  template <typename T>
  std::optional<T> Fixed() {
    if (rest_.size() < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, rest_.data(), sizeof value);
    rest_.remove_prefix(sizeof value);
    return value;
  }
  std::optional<std::string_view> Field() {
    auto n = Fixed<int32_t>();
    if (!n || *n < 0 || size_t(*n) > rest_.size()) return std::nullopt;
    std::string_view field = rest_.substr(0, size_t(*n));
    rest_.remove_prefix(size_t(*n));
    return field;
  }

 private:
  std::string_view rest_;
};

}  // namespace vorenn::json_blob
