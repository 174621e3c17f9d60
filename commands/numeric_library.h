// The numeric library (library 4 of the library table): the UnlNum data type and its ten commands.
//
// An UnlNum value travels as a RuntimeValue of type kTypeUnlNum whose pointer (low and high words)
// names a cell: an engine memory block holding one `UnlNum*`, the variable. Commands that store into
// a variable (create, from text, assign, free) write through the cell; commands that make a new
// number return a new cell holding it, owned by the caller together with the number. A value of
// another type, a null cell or a cell holding null is a missing number.
//
// Command table, by index:
//   0 UnlNumCreate      (variable)                 -> none
//   1 UnlNumFromText    (variable, text)            -> bool
//   2 UnlNumAssign      (variable, source)          -> none
//   3 UnlNumFree        (variable)                  -> none
//   4 UnlNumIntegerPart (number)                    -> new number
//   5 UnlNumToText      (number)                    -> text
//   6 UnlNumAdd         (a, b)                      -> new number
//   7 UnlNumLess        (a, b)                      -> bool
//   8 UnlNumSubtract    (a, b)                      -> new number
//   9 UnlNumDivide      (a, b, integer places)      -> new number
#pragma once

#include <cstddef>  // engine/core/runtime_value.h uses offsetof

#include "commands/unlnum.h"
#include "engine/core/library.h"
#include "engine/core/runtime_value.h"

namespace vorenn {

constexpr uint32_t kTypeUnlNum = 0x0004000A;
constexpr int kNumericLibraryNumber = 4;
// UnlNum is type 10 of the library; the library's type table must therefore hold ten entries, of
// which only the tenth is ever named by a value of this program.
constexpr int kNumericLibraryTypeCount = 10;
constexpr int kUnlNumTypeNumber = 10;
extern const char kUnlNumTypeName[];  // "UnlNum"

enum NumericCommand : int {
  kCmdUnlNumCreate = 0,
  kCmdUnlNumFromText = 1,
  kCmdUnlNumAssign = 2,
  kCmdUnlNumFree = 3,
  kCmdUnlNumIntegerPart = 4,
  kCmdUnlNumToText = 5,
  kCmdUnlNumAdd = 6,
  kCmdUnlNumLess = 7,
  kCmdUnlNumSubtract = 8,
  kCmdUnlNumDivide = 9,
  kNumericCommandCount = 10,
};

extern const CommandFn kNumericCommands[kNumericCommandCount];

// The library's notify function: start and end need nothing from this library and answer 0;
// other codes answer -1.
intptr_t NumericLibraryNotify(int code, intptr_t arg1, intptr_t arg2);

// The library's type table: kNumericLibraryTypeCount descriptors, UnlNum at index
// kUnlNumTypeNumber - 1 (named kUnlNumTypeName, its commands 0 to 9); the nine before it are empty
// slots that keep UnlNum's type number.
const TypeDescriptor* NumericLibraryTypes();

// The descriptor for the library table, announcing `types` (by default the library's own table;
// null announces no data types).
LibraryDescriptor NumericLibraryDescriptor(const TypeDescriptor* types = NumericLibraryTypes());

// The argument form of a variable: a value naming the cell `variable`.
inline RuntimeValue UnlNumValue(UnlNum** variable) { return MakePointer(kTypeUnlNum, variable); }
// The cell a value names, or null when the value is not an UnlNum.
UnlNum** UnlNumCellOf(const RuntimeValue& value);
// The number a value holds, or null when it is missing.
UnlNum* UnlNumOf(const RuntimeValue& value);
// Takes the number out of a command's new-number result and frees the result's cell, leaving the
// result empty. Null, with the result untouched, when it is not an UnlNum.
UnlNum* TakeUnlNumResult(RuntimeValue* result);

}  // namespace vorenn
