// How command table entries read their RuntimeValue arguments and hand out their results.
//
// Blocks (engine memory, see engine/core/runtime_value.h):
//   text        zero-terminated GBK bytes; null is the empty text
//   byte array  offset 0 int32 dimension count (1), offset 4 int32 byte count n, offset 8 n bytes;
//               null is the empty byte array
//   array       offset 0 int32 dimension count d, offset 4 d int32 lengths, then the elements packed
//               (count = product of the lengths; text and byte-array elements are block pointers)
//
// A variable passed by reference (the read commands, GetBytesData's position, CopyUnit's target)
// travels as a record whose pointer (low, high) is the address of the variable's storage and whose
// type word is the variable's kind. Storage widths: byte 1, short 2, integer 4, long 8, float 4,
// double 8, bool 4 (0 or 1), date-time 8, subroutine pointer 4, text and byte array one block
// pointer; an array variable (kArrayFlag) holds its array block pointer.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "engine/core/runtime_value.h"

namespace vorenn {

using ByteSpan = std::span<const uint8_t>;

constexpr bool IsOmitted(const RuntimeValue& v) { return v.type == kTypeNone; }
constexpr bool IsArrayType(uint32_t type) { return (type & kArrayFlag) != 0 && IsBasicType(type); }
constexpr uint32_t ElementTypeOf(uint32_t type) { return type & ~kArrayFlag; }
// Byte, short, integer, long, float and double: low byte 0x01 and the top bit set.
constexpr bool IsNumericType(uint32_t type) {
  return (type & 0xFFu) == 0x01u && (type & 0x80000000u) != 0 && (type & kArrayFlag) == 0;
}

// Raw width of a fixed-width basic kind as records and raw bytes hold it: 0 for text, byte array,
// arrays and every non-basic kind.
int RawWidth(uint32_t type);
// Width of one element in an array block or of a variable's storage (pointers for text and bytes);
// 0 for kinds that are not basic.
int StorageWidth(uint32_t type);

// Argument readers. A value of another kind reads as the neutral value (empty, 0, false); an
// omitted argument reads as `fallback`.
std::string_view TextArg(const RuntimeValue& v);
ByteSpan BytesArg(const RuntimeValue& v);
int32_t IntArg(const RuntimeValue& v, int32_t fallback = 0);
double DoubleArg(const RuntimeValue& v, double fallback = 0.0);
bool BoolArg(const RuntimeValue& v, bool fallback = false);

// Text and byte-array views of blocks (null gives empty).
std::string_view TextOfTextBlock(const void* block);
ByteSpan BytesOfByteArrayBlock(const void* block);

// The size to ask the memory service for: -1 (an allocation failure, which is fatal) when `bytes`
// does not fit 32 bits.
int32_t BlockSize(size_t bytes);
// New engine blocks owned by the caller; empty input gives null.
char* MakeTextBlock(std::string_view text);
void* MakeByteArrayBlock(ByteSpan bytes);

// Results. The engine zeroed *result before the call.
void SetTextResult(RuntimeValue* result, std::string_view text);
void SetBytesResult(RuntimeValue* result, ByteSpan bytes);
void SetIntResult(RuntimeValue* result, int32_t value);
void SetBoolResult(RuntimeValue* result, bool value);
void SetDoubleResult(RuntimeValue* result, double value);
void SetDateTimeResult(RuntimeValue* result, double value);

// The elements of an array block. A malformed block (no dimensions, a negative length, a count that
// does not fit 32 bits) gives no elements.
struct ArrayElements {
  uint8_t* data = nullptr;
  int32_t count = 0;
};
ArrayElements ElementsOfArrayBlock(void* block);

// A variable passed by reference: its kind and its storage (null when the record holds none).
struct VariableRef {
  uint32_t type = kTypeNone;
  void* storage = nullptr;
};
VariableRef VariableArg(const RuntimeValue& v);

}  // namespace vorenn
