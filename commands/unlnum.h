// UnlNum: the arbitrary-precision signed decimal number in which the game holds its amounts.
//
// A number record is one block from the general-purpose heap (malloc), never an engine memory block:
//   offset size        meaning
//   0      4           negative: 1 when the number is below zero, else 0 (zero is never negative)
//   4      4           owned: 1 when this library allocated the record and may free it
//   8      4           integer group count I, at least 1
//   12     4           fraction group count F, 0 or more
//   16     4 * (F + I) the groups, least significant first: F fraction groups, then I integer groups
//
// Each group holds nine decimal digits, 0 to 999999999. Fraction group F-1 (the first one after the
// point) holds fraction digits 1 to 9, group F-2 digits 10 to 18, and so on; the value is
//   (-1 if negative) * sum(group[k] * 10^(9 * (k - F))).
// Zero is one integer group 0. The top integer group is nonzero unless I is 1, so the group counts
// order magnitudes. Fraction groups keep the length they were given: 0.50 has one fraction group
// 500000000, and trailing zero fraction groups may be present; they never change the value.
//
// Every function here treats a null number as missing. When memory runs out while a new number is
// being built, the partly built record is freed and the function returns zero instead (null only
// when not even zero can be allocated).
#pragma once

#include <cstdint>
#include <string>

namespace vorenn {

struct UnlNum {
  int32_t negative;
  int32_t owned;
  int32_t integerGroupCount;
  int32_t fractionGroupCount;
};
static_assert(sizeof(UnlNum) == 16, "the groups follow the 16-byte header");

constexpr uint32_t kUnlNumGroupBase = 1000000000;
constexpr int kUnlNumGroupDigits = 9;

inline uint32_t* UnlNumGroups(UnlNum* n) { return reinterpret_cast<uint32_t*>(n + 1); }
inline const uint32_t* UnlNumGroups(const UnlNum* n) { return reinterpret_cast<const uint32_t*>(n + 1); }
inline int32_t UnlNumGroupCount(const UnlNum* n) { return n->integerGroupCount + n->fractionGroupCount; }

// Decimal digits of the integer part: the top group without its leading zeros (zero counts one
// digit), nine for every lower group.
int64_t UnlNumIntegerDigits(const UnlNum* n);
// Nine per fraction group.
int64_t UnlNumFractionDigits(const UnlNum* n);

// True when `text` is a number text: not empty; a digit, or "-" and a digit 1-9, or "-0." followed
// by at least one more character, first; then digits and at most one point ("5." is 5, "007" is 7).
// No spaces, plus signs, exponents or leading point. "-0" and "-00.5" are refused; "-0.0" is zero.
bool IsUnlNumText(const char* text, size_t length);

// The commands of the numeric library, in typed form. A variable is an `UnlNum*` that holds a
// number or null; the commands that store into one free the number it held first.

// The variable gets a new zero (null when memory runs out).
void UnlNumCreate(UnlNum** variable);
// Frees the variable's number and parses `text` (zero-terminated; null is the empty text) into a
// new one. A malformed text leaves zero in the variable and answers false; so does running out of
// memory (the variable may then be null).
bool UnlNumFromText(UnlNum** variable, const char* text);
// As above for a text of `length` bytes that need not be terminated.
bool UnlNumFromText(UnlNum** variable, const char* text, size_t length);
// The variable gets a copy of `source`; a missing source leaves the variable alone. Assigning a
// variable its own number is harmless.
void UnlNumAssign(UnlNum** variable, const UnlNum* source);
// Frees the variable's number (when this library owns it) and leaves null in the variable.
void UnlNumFree(UnlNum** variable);

// A new number: the integer part of `n` with its sign, the fraction dropped (toward zero; the
// integer part of -0.5 is 0). A missing `n` gives zero.
UnlNum* UnlNumIntegerPart(const UnlNum* n);
// The decimal text of `n` as a new engine memory block (the caller frees it with FreeBlock): "-"
// when negative, the integer digits without leading zeros, then "." and the fraction digits without
// trailing zeros when the fraction is not zero. A missing `n` gives the empty text (null).
char* UnlNumToText(const UnlNum* n);
// The same text as a std::string; a missing `n` gives "".
std::string UnlNumToString(const UnlNum* n);

// New numbers holding a + b and a - b, exact. A missing operand gives zero. The result has as many
// fraction groups as the operand with more of them.
UnlNum* UnlNumAdd(const UnlNum* a, const UnlNum* b);
UnlNum* UnlNumSubtract(const UnlNum* a, const UnlNum* b);
// a < b by value (trailing zero fraction groups do not count). A missing operand gives false.
bool UnlNumLess(const UnlNum* a, const UnlNum* b);
// Compares the values: negative, 0 or positive. Both must be present.
int UnlNumCompare(const UnlNum* a, const UnlNum* b);

// A new number holding a / b truncated toward zero to `places` decimal places. A missing operand,
// a zero operand (division by zero included) or negative places give zero. The quotient is
// negative exactly when one operand is negative and the truncated quotient is not zero. Time and
// memory grow with the places; when memory runs out the result is zero.
UnlNum* UnlNumDivide(const UnlNum* a, const UnlNum* b, int32_t places);

// Test hook: the Nth number record allocated from now fails (0 turns failure injection off).
void UnlNumFailAllocationAfter(uint64_t n);
// Test hook: true while a failure set by UnlNumFailAllocationAfter has not been reached yet.
bool UnlNumAllocationFailurePending();

namespace unlnum_internal {
// A new owned record with room for the given groups, counts set, sign 0, groups not initialised;
// null when memory runs out.
UnlNum* AllocNumber(int64_t integerGroups, int64_t fractionGroups);
// Drops leading zero integer groups (keeping one) and clears the sign of a zero.
void Normalize(UnlNum* n);
// A new zero, or null when memory runs out.
UnlNum* NewZero();
// `n`, or a new zero when it is null (a result that could not be built).
UnlNum* OrZero(UnlNum* n);
}  // namespace unlnum_internal

}  // namespace vorenn
