#include "commands/command_values.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "engine/core/memory.h"

namespace vorenn {
namespace {

template <typename T>
T Load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

int32_t SaturateToInt(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (d <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return int32_t(d);
}

}  // namespace

int RawWidth(uint32_t type) {
  switch (type) {
    case kTypeByte: return 1;
    case kTypeShort: return 2;
    case kTypeInt: case kTypeFloat: case kTypeBool: case kTypeSubroutine: return 4;
    case kTypeLong: case kTypeDouble: case kTypeDateTime: case kTypeEightBytes: return 8;
    default: return 0;
  }
}

int StorageWidth(uint32_t type) {
  if (type == kTypeText || type == kTypeBytes) return int(sizeof(void*));
  return RawWidth(type);
}

std::string_view TextOfTextBlock(const void* block) {
  return block != nullptr ? std::string_view(static_cast<const char*>(block)) : std::string_view();
}

ByteSpan BytesOfByteArrayBlock(const void* block) {
  if (block == nullptr) return {};
  int32_t n = Load<int32_t>(static_cast<const uint8_t*>(block) + 4);
  if (n <= 0) return {};
  return ByteSpan(static_cast<const uint8_t*>(block) + 8, size_t(n));
}

std::string_view TextArg(const RuntimeValue& v) {
  return v.type == kTypeText ? TextOfTextBlock(PointerOf(v)) : std::string_view();
}

ByteSpan BytesArg(const RuntimeValue& v) {
  return v.type == kTypeBytes ? BytesOfByteArrayBlock(PointerOf(v)) : ByteSpan();
}

int32_t IntArg(const RuntimeValue& v, int32_t fallback) {
  switch (v.type) {
    case kTypeNone: return fallback;
    case kTypeByte: return int32_t(v.low & 0xFF);
    case kTypeShort: return int32_t(int16_t(v.low & 0xFFFF));
    case kTypeInt: return int32_t(v.low);
    case kTypeLong: return int32_t(v.low);  // the low word, as a narrowing store keeps it
    case kTypeFloat: return SaturateToInt(Load<float>(&v.low));
    case kTypeDouble: return SaturateToInt(DoubleOf(v));
    case kTypeBool: return v.low != 0 ? 1 : 0;
    default: return 0;
  }
}

double DoubleArg(const RuntimeValue& v, double fallback) {
  switch (v.type) {
    case kTypeNone: return fallback;
    case kTypeDouble: case kTypeDateTime: return DoubleOf(v);
    case kTypeFloat: return double(Load<float>(&v.low));
    case kTypeLong: return double(LongOf(v));
    default: return double(IntArg(v));
  }
}

bool BoolArg(const RuntimeValue& v, bool fallback) {
  if (v.type == kTypeNone) return fallback;
  if (v.type == kTypeLong || v.type == kTypeDouble) return (v.low | v.high) != 0;
  return IntArg(v) != 0 || (v.type == kTypeFloat && v.low != 0);
}

int32_t BlockSize(size_t bytes) {
  // A block larger than 32 bits can count is memory the engine cannot give: its allocation
  // failure report (a negative size always fails) rather than a size that wraps around.
  return bytes > size_t(std::numeric_limits<int32_t>::max()) ? -1 : int32_t(bytes);
}

char* MakeTextBlock(std::string_view text) {
  if (text.empty()) return nullptr;
  auto* block = static_cast<char*>(AllocBlock(BlockSize(text.size() + 1)));
  std::memcpy(block, text.data(), text.size());
  block[text.size()] = '\0';
  return block;
}

void* MakeByteArrayBlock(ByteSpan bytes) {
  if (bytes.empty()) return nullptr;
  auto* block = static_cast<uint8_t*>(AllocBlock(BlockSize(8 + bytes.size())));
  const int32_t header[2] = {1, int32_t(bytes.size())};
  std::memcpy(block, header, sizeof header);
  std::memcpy(block + 8, bytes.data(), bytes.size());
  return block;
}

void SetTextResult(RuntimeValue* result, std::string_view text) {
  *result = MakePointer(kTypeText, MakeTextBlock(text));
}
void SetBytesResult(RuntimeValue* result, ByteSpan bytes) {
  *result = MakePointer(kTypeBytes, MakeByteArrayBlock(bytes));
}
void SetIntResult(RuntimeValue* result, int32_t value) { *result = MakeInt(value); }
void SetBoolResult(RuntimeValue* result, bool value) { *result = MakeBool(value); }
void SetDoubleResult(RuntimeValue* result, double value) { *result = MakeDouble(value); }
void SetDateTimeResult(RuntimeValue* result, double value) {
  *result = MakeDouble(value);
  result->type = kTypeDateTime;
}

ArrayElements ElementsOfArrayBlock(void* block) {
  if (block == nullptr) return {};
  auto* bytes = static_cast<uint8_t*>(block);
  int32_t dimensions = Load<int32_t>(bytes);
  if (dimensions <= 0) return {};
  int64_t count = 1;
  for (int32_t d = 0; d < dimensions; ++d) {
    int32_t length = Load<int32_t>(bytes + 4 + 4 * size_t(d));
    if (length < 0) return {};
    count *= length;
    if (count > std::numeric_limits<int32_t>::max()) return {};
  }
  return {bytes + 4 + 4 * size_t(dimensions), int32_t(count)};
}

VariableRef VariableArg(const RuntimeValue& v) { return {v.type, PointerOf(v)}; }

}  // namespace vorenn
