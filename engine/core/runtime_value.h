// The records in which values cross between game logic, engine and commands.
//
// RuntimeValue, 12 bytes, three 32-bit words:
//   offset size meaning
//   0      4    value low: the value, its low 32 bits, or the low half of a pointer
//   4      4    value high: high 32 bits of an 8-byte value or pointer; unit id of a UnitRef; else 0
//   8      4    type code (TypeCode below; 0 = no value, an optional argument left out)
//
// Text block:  zero-terminated GBK bytes; the empty text is a null pointer.
// Bytes block: int32 1, int32 length, then length bytes; the empty byte array is a null pointer.
// Array block: int32 dimension count n, n int32 sizes, then the elements back to back.
#pragma once

#include <cstddef>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vorenn {

enum TypeCode : uint32_t {
  kTypeNone = 0,
  kTypeByte = 0x80000101,
  kTypeShort = 0x80000201,
  kTypeInt = 0x80000301,
  kTypeLong = 0x80000401,
  kTypeFloat = 0x80000501,
  kTypeDouble = 0x80000601,
  kTypeBool = 0x80000002,
  kTypeDateTime = 0x80000003,
  kTypeText = 0x80000004,
  kTypeBytes = 0x80000005,
  kTypeSubroutine = 0x80000006,
  kTypeEightBytes = 0x80000008,
  // Core library unit types (library 1).
  kTypeWindow = 0x00010001,
  kTypeMenuItem = 0x00010003,
  kTypeEditBox = 0x00010005,
  kTypeDrawPanel = 0x00010008,
  kTypeGroupBox = 0x00010009,
  kTypeLabel = 0x0001000A,
  kTypeButton = 0x0001000B,
  kTypeVScrollBar = 0x00010012,
  kTypeTimer = 0x00010020,
  // Extended units 2 (library 3) and extended units 1 (library 5).
  kTypeSuperBtn = 0x00030001,
  kTypeListView = 0x00050004,
};

// Flag on an array-typed value's type word.
constexpr uint32_t kArrayFlag = 0x20000000;

constexpr bool IsBasicType(uint32_t type) { return type >= 0x80000000u && type <= 0xBFFFFFFFu; }
constexpr bool IsLibraryType(uint32_t type) { return type >= 1u && type <= 0x3FFFFFFFu; }
constexpr uint32_t LibraryOf(uint32_t type) { return type >> 16; }
constexpr uint32_t TypeIndexOf(uint32_t type) { return type & 0xFFFFu; }

struct RuntimeValue {
  uint32_t low;
  uint32_t high;
  uint32_t type;
};
static_assert(sizeof(RuntimeValue) == 12, "RuntimeValue is three 32-bit words");
static_assert(alignof(RuntimeValue) == 4);
static_assert(offsetof(RuntimeValue, low) == 0 && offsetof(RuntimeValue, high) == 4 &&
              offsetof(RuntimeValue, type) == 8);

// A window or a unit on a window: window id in low, unit id in high.
struct UnitRef {
  uint32_t windowId;
  uint32_t unitId;
};
static_assert(sizeof(UnitRef) == 8);

// A unit id is valid when its low 24 bits and its bits 24-27 are nonzero.
constexpr bool IsValidUnitId(uint32_t id) { return (id & 0x00FFFFFFu) != 0 && (id & 0x0F000000u) != 0; }
constexpr bool IsMenuItemId(uint32_t id) { return (id >> 28) == 2 && ((id >> 24) & 0xF) == 6; }

// Pointers span low and high together.
inline void* PointerOf(const RuntimeValue& v) {
  uint64_t bits = (uint64_t(v.high) << 32) | v.low;
  void* p;
  std::memcpy(&p, &bits, sizeof p);
  return p;
}
inline void SetPointer(RuntimeValue& v, const void* p) {
  uint64_t bits;
  std::memcpy(&bits, &p, sizeof p);
  v.low = uint32_t(bits);
  v.high = uint32_t(bits >> 32);
}

inline int64_t LongOf(const RuntimeValue& v) { return int64_t((uint64_t(v.high) << 32) | v.low); }
inline void SetLong(RuntimeValue& v, int64_t x) {
  v.low = uint32_t(uint64_t(x));
  v.high = uint32_t(uint64_t(x) >> 32);
}
inline double DoubleOf(const RuntimeValue& v) {
  uint64_t bits = (uint64_t(v.high) << 32) | v.low;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
inline void SetDouble(RuntimeValue& v, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof d);
  v.low = uint32_t(bits);
  v.high = uint32_t(bits >> 32);
}

inline RuntimeValue MakeInt(int32_t x) { return {uint32_t(x), 0, kTypeInt}; }
inline RuntimeValue MakeBool(bool b) { return {b ? 1u : 0u, 0, kTypeBool}; }
inline RuntimeValue MakeDouble(double d) {
  RuntimeValue v{0, 0, kTypeDouble};
  SetDouble(v, d);
  return v;
}
inline RuntimeValue MakeLong(int64_t x) {
  RuntimeValue v{0, 0, kTypeLong};
  SetLong(v, x);
  return v;
}
inline RuntimeValue MakePointer(uint32_t type, const void* p) {
  RuntimeValue v{0, 0, type};
  SetPointer(v, p);
  return v;
}
inline RuntimeValue MakeUnitRef(uint32_t type, UnitRef r) { return {r.windowId, r.unitId, type}; }

}  // namespace vorenn
