// Byte-array commands. Positions are 1-based.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "commands/command_values.h"
#include "engine/core/runtime_value.h"

namespace vorenn {

int32_t BytesLength(ByteSpan bytes);
// n zero bytes; empty for n <= 0.
std::vector<uint8_t> ZeroBytes(int32_t n);
// The first min(max(n, 0), length) bytes.
std::vector<uint8_t> BytesLeft(ByteSpan bytes, int32_t n);
// The 1-based position of the first occurrence of `sought` at or after `start` (counted from the
// start of the array), or -1; an empty `sought` gives -1.
int32_t FindBytes(ByteSpan bytes, ByteSpan sought, std::optional<int32_t> start = {});

// Type codes of DataTypeSize and GetBytesData.
enum DataTypeCode : int32_t {
  kDataByte = 1,
  kDataShort = 2,
  kDataInt = 3,
  kDataLong = 4,
  kDataFloat = 5,
  kDataDouble = 6,
  kDataBool = 7,
  kDataDateTime = 8,
  kDataSubroutine = 9,
  kDataText = 10,
};

// Width of the kind of codes 1..9; 0 for every other code.
int32_t DataTypeSize(int32_t code);

// Decodes one value of kind `code` (1..10) at offset 0, or at `*position` - 1 when `position` is
// given; bytes missing at the end read as zero, a text runs to the first zero byte or the end, and a
// date-time is limited to its valid range. `*position` becomes the 1-based position after the value
// (after the zero of a text), or -1 when that lies past the end. A text result is a new engine
// block owned by the caller. A code outside 1..10 is a fatal runtime error.
RuntimeValue GetBytesData(ByteSpan bytes, int32_t code, int32_t* position = nullptr);

}  // namespace vorenn
