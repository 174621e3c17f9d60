#include "commands/bytes_commands.h"

#include <algorithm>
#include <cstring>

#include "commands/calendar.h"
#include "engine/core/runtime_error.h"

namespace vorenn {
namespace {

constexpr int32_t kTypeWidths[] = {1, 2, 4, 8, 4, 8, 4, 8, 4};
constexpr uint32_t kTypesByCode[] = {kTypeByte, kTypeShort, kTypeInt, kTypeLong, kTypeFloat,
                                     kTypeDouble, kTypeBool, kTypeDateTime, kTypeSubroutine};

}  // namespace

int32_t BytesLength(ByteSpan bytes) { return int32_t(bytes.size()); }

std::vector<uint8_t> ZeroBytes(int32_t n) { return n <= 0 ? std::vector<uint8_t>() : std::vector<uint8_t>(size_t(n), 0); }

std::vector<uint8_t> BytesLeft(ByteSpan bytes, int32_t n) {
  size_t count = std::min(size_t(std::max(n, 0)), bytes.size());
  return std::vector<uint8_t>(bytes.begin(), bytes.begin() + count);
}

int32_t FindBytes(ByteSpan bytes, ByteSpan sought, std::optional<int32_t> start) {
  size_t from = start ? size_t(std::max<int64_t>(int64_t(*start) - 1, 0)) : 0;
  if (sought.empty() || from >= bytes.size()) return -1;
  const uint8_t* end = bytes.data() + bytes.size();
  const uint8_t* p = bytes.data() + from;
  while (p < end) {
    p = static_cast<const uint8_t*>(std::memchr(p, sought[0], size_t(end - p)));
    if (p == nullptr || size_t(end - p) < sought.size()) return -1;
    if (std::memcmp(p, sought.data(), sought.size()) == 0) return int32_t(p - bytes.data() + 1);
    ++p;
  }
  return -1;
}

int32_t DataTypeSize(int32_t code) { return code >= kDataByte && code <= kDataSubroutine ? kTypeWidths[code - 1] : 0; }

RuntimeValue GetBytesData(ByteSpan bytes, int32_t code, int32_t* position) {
  if (code < kDataByte || code > kDataText) {
    ReportRuntimeError("“欲取出数据的类型”参数值无效", 0);
  }
  // Offset of the first byte to read; past the end when the position leaves nothing to read.
  size_t offset = 0;
  if (position != nullptr) offset = *position <= 0 ? bytes.size() : size_t(*position) - 1;
  size_t available = offset < bytes.size() ? bytes.size() - offset : 0;
  const uint8_t* at = bytes.data() + (available > 0 ? offset : 0);

  RuntimeValue value{0, 0, kTypeNone};
  size_t consumed;
  if (code == kDataText) {
    const void* zero = available > 0 ? std::memchr(at, 0, available) : nullptr;
    size_t length = zero != nullptr ? size_t(static_cast<const uint8_t*>(zero) - at) : available;
    value = MakePointer(kTypeText, MakeTextBlock(std::string_view(reinterpret_cast<const char*>(at), length)));
    consumed = zero != nullptr ? length + 1 : available + 1;  // no zero: the rest is used up
  } else {
    size_t width = size_t(kTypeWidths[code - 1]);
    uint8_t raw[8] = {};
    if (available > 0) std::memcpy(raw, at, std::min(width, available));  // missing high bytes read as zero
    std::memcpy(&value.low, raw, 4);
    std::memcpy(&value.high, raw + 4, 4);
    if (width < 8) value.high = 0;
    value.type = kTypesByCode[code - 1];
    if (code == kDataBool) value.low = value.low != 0 ? 1 : 0;
    if (code == kDataDateTime) SetDouble(value, ClampDateTime(DoubleOf(value)));
    consumed = width;
  }
  if (position != nullptr) {
    size_t next = offset + consumed;  // 0-based offset just after the value
    *position = (available == 0 || next >= bytes.size()) ? -1 : int32_t(next + 1);
  }
  return value;
}

}  // namespace vorenn
