#include "commands/numeric_library.h"

#include <climits>

#include "engine/core/memory.h"
#include "engine/core/type_descriptor.h"

namespace vorenn {

const char kUnlNumTypeName[] = "UnlNum";

namespace {

const RuntimeValue* Argument(int argc, const RuntimeValue* args, int index) {
  return index < argc && args != nullptr ? &args[index] : nullptr;
}

UnlNum** CellArgument(int argc, const RuntimeValue* args, int index) {
  const RuntimeValue* v = Argument(argc, args, index);
  return v != nullptr ? UnlNumCellOf(*v) : nullptr;
}

UnlNum* NumberArgument(int argc, const RuntimeValue* args, int index) {
  const RuntimeValue* v = Argument(argc, args, index);
  return v != nullptr ? UnlNumOf(*v) : nullptr;
}

// A new number becomes a new cell owned by the caller; without a number the result stays empty.
void ReturnNumber(RuntimeValue* result, UnlNum* n) {
  if (n == nullptr) return;
  auto cell = static_cast<UnlNum**>(AllocBlock(int32_t(sizeof(UnlNum*))));
  *cell = n;
  *result = MakePointer(kTypeUnlNum, cell);
}

// The integer kinds a caller may pass for the places; anything else counts as missing.
bool IntegerArgument(const RuntimeValue* v, int32_t* out) {
  if (v == nullptr) return false;
  switch (v->type) {
    case kTypeByte:
      *out = int32_t(v->low & 0xFF);
      return true;
    case kTypeShort:
      *out = int32_t(int16_t(v->low & 0xFFFF));
      return true;
    case kTypeInt:
      *out = int32_t(v->low);
      return true;
    case kTypeLong: {
      int64_t x = LongOf(*v);
      *out = x > INT32_MAX ? INT32_MAX : x < INT32_MIN ? INT32_MIN : int32_t(x);
      return true;
    }
    default:
      return false;
  }
}

void CommandCreate(RuntimeValue*, int argc, RuntimeValue* args) { UnlNumCreate(CellArgument(argc, args, 0)); }

void CommandFromText(RuntimeValue* result, int argc, RuntimeValue* args) {
  UnlNum** cell = CellArgument(argc, args, 0);
  const RuntimeValue* text = Argument(argc, args, 1);
  const char* chars = text != nullptr && text->type == kTypeText ? static_cast<const char*>(PointerOf(*text)) : nullptr;
  *result = MakeBool(UnlNumFromText(cell, chars));
}

void CommandAssign(RuntimeValue*, int argc, RuntimeValue* args) {
  UnlNumAssign(CellArgument(argc, args, 0), NumberArgument(argc, args, 1));
}

void CommandFree(RuntimeValue*, int argc, RuntimeValue* args) { UnlNumFree(CellArgument(argc, args, 0)); }

void CommandIntegerPart(RuntimeValue* result, int argc, RuntimeValue* args) {
  ReturnNumber(result, UnlNumIntegerPart(NumberArgument(argc, args, 0)));
}

void CommandToText(RuntimeValue* result, int argc, RuntimeValue* args) {
  *result = MakePointer(kTypeText, UnlNumToText(NumberArgument(argc, args, 0)));
}

void CommandAdd(RuntimeValue* result, int argc, RuntimeValue* args) {
  ReturnNumber(result, UnlNumAdd(NumberArgument(argc, args, 0), NumberArgument(argc, args, 1)));
}

void CommandLess(RuntimeValue* result, int argc, RuntimeValue* args) {
  *result = MakeBool(UnlNumLess(NumberArgument(argc, args, 0), NumberArgument(argc, args, 1)));
}

void CommandSubtract(RuntimeValue* result, int argc, RuntimeValue* args) {
  ReturnNumber(result, UnlNumSubtract(NumberArgument(argc, args, 0), NumberArgument(argc, args, 1)));
}

void CommandDivide(RuntimeValue* result, int argc, RuntimeValue* args) {
  int32_t places = 0;
  if (!IntegerArgument(Argument(argc, args, 2), &places)) {
    ReturnNumber(result, unlnum_internal::NewZero());
    return;
  }
  ReturnNumber(result, UnlNumDivide(NumberArgument(argc, args, 0), NumberArgument(argc, args, 1), places));
}

}  // namespace

const CommandFn kNumericCommands[kNumericCommandCount] = {
    CommandCreate, CommandFromText, CommandAssign, CommandFree,     CommandIntegerPart,
    CommandToText, CommandAdd,      CommandLess,   CommandSubtract, CommandDivide,
};

intptr_t NumericLibraryNotify(int code, intptr_t, intptr_t) {
  return code == kNotifyStart || code == kNotifyEnd ? 0 : -1;
}

const TypeDescriptor* NumericLibraryTypes() {
  static const int kUnlNumCommands[kNumericCommandCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  static const TypeDescriptor kTypes[kNumericLibraryTypeCount] = {
      {}, {}, {}, {}, {}, {}, {}, {}, {},
      {kUnlNumTypeName, kUnlNumTypeName, nullptr, kNumericCommandCount, kUnlNumCommands, 0, 0, 0, nullptr, 0,
       nullptr, nullptr, 0, nullptr},
  };
  return kTypes;
}

LibraryDescriptor NumericLibraryDescriptor(const TypeDescriptor* types) {
  return {"numeric", NumericLibraryNotify, types != nullptr ? kNumericLibraryTypeCount : 0, types,
          kNumericCommandCount, kNumericCommands};
}

UnlNum** UnlNumCellOf(const RuntimeValue& value) {
  return value.type == kTypeUnlNum ? static_cast<UnlNum**>(PointerOf(value)) : nullptr;
}

UnlNum* UnlNumOf(const RuntimeValue& value) {
  UnlNum** cell = UnlNumCellOf(value);
  return cell != nullptr ? *cell : nullptr;
}

UnlNum* TakeUnlNumResult(RuntimeValue* result) {
  UnlNum** cell = UnlNumCellOf(*result);
  if (cell == nullptr) return nullptr;
  UnlNum* n = *cell;
  FreeBlock(cell);
  *result = RuntimeValue{0, 0, kTypeNone};
  return n;
}

}  // namespace vorenn
