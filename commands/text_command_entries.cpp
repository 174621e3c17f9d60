// Table entries of the text, byte-array and conversion commands: unpack, call, pack.
#include <optional>

#include "commands/bytes_commands.h"
#include "commands/command_values.h"
#include "commands/conversion_commands.h"
#include "commands/core_library.h"
#include "commands/internal/core_entries.h"
#include "commands/text_commands.h"

namespace vorenn::core_entries {
namespace {

#define ARG(i) Arg(argc, args, i)

std::optional<int32_t> OptionalInt(const RuntimeValue& v) {
  return IsOmitted(v) ? std::nullopt : std::optional<int32_t>(IntArg(v));
}
CaseMode IgnoreCaseWhen(bool ignore) { return ignore ? CaseMode::kIgnoreAscii : CaseMode::kExact; }

void ToNumberEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetDoubleResult(r, ToNumber(ARG(0))); }
void ToBytesEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetBytesResult(r, ToBytes(ARG(0))); }
void ToTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetTextResult(r, ToText(ARG(0))); }

void RemoveAllSpacesEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetTextResult(r, RemoveAllSpaces(TextArg(ARG(0))));
}
void CharFromCodeEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetTextResult(r, CharFromCode(uint8_t(IntArg(ARG(0)))));
}
void FindTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetIntResult(r, FindText(TextArg(ARG(0)), TextArg(ARG(1)), OptionalInt(ARG(2)), IgnoreCaseWhen(BoolArg(ARG(3)))));
}
void ToUpperEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetTextResult(r, ToUpper(TextArg(ARG(0)))); }
void ToLowerEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetTextResult(r, ToLower(TextArg(ARG(0)))); }
void TextLengthEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetIntResult(r, TextLength(TextArg(ARG(0)))); }
void BytesLengthEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetIntResult(r, BytesLength(BytesArg(ARG(0))));
}
void ZeroBytesEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetBytesResult(r, ZeroBytes(IntArg(ARG(0)))); }
void BytesLeftEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBytesResult(r, BytesLeft(BytesArg(ARG(0)), IntArg(ARG(1))));
}
void SpaceTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetTextResult(r, SpaceText(IntArg(ARG(0)))); }
void ReplaceTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetTextResult(r, ReplaceText(TextArg(ARG(0)), IntArg(ARG(1)), IntArg(ARG(2)), TextArg(ARG(3))));
}
void TextLeftEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetTextResult(r, TextLeft(TextArg(ARG(0)), IntArg(ARG(1))));
}
void TextRightEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetTextResult(r, TextRight(TextArg(ARG(0)), IntArg(ARG(1))));
}
void TextMiddleEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetTextResult(r, TextMiddle(TextArg(ARG(0)), IntArg(ARG(1)), IntArg(ARG(2))));
}
void CompareTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  CaseMode mode = BoolArg(ARG(2)) ? CaseMode::kExact : CaseMode::kIgnoreAscii;
  SetIntResult(r, CompareText(TextArg(ARG(0)), TextArg(ARG(1)), mode));
}
void DataTypeSizeEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetIntResult(r, DataTypeSize(IntArg(ARG(0)))); }

void GetBytesDataEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  VariableRef position = VariableArg(ARG(2));
  int32_t* slot = (position.type == kTypeInt && position.storage != nullptr) ? static_cast<int32_t*>(position.storage)
                                                                             : nullptr;
  *r = GetBytesData(BytesArg(ARG(0)), IntArg(ARG(1)), slot);
}

void TrimTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetTextResult(r, TrimText(TextArg(ARG(0)))); }
void FindBytesEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  std::optional<int32_t> start = argc >= 3 ? OptionalInt(ARG(2)) : std::nullopt;
  SetIntResult(r, FindBytes(BytesArg(ARG(0)), BytesArg(ARG(1)), start));
}
void ReplaceSubTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  CaseMode mode = BoolArg(ARG(5)) ? CaseMode::kExact : CaseMode::kIgnoreAscii;
  std::optional<int32_t> count = OptionalInt(ARG(4));
  SetTextResult(r, ReplaceSubText(TextArg(ARG(0)), TextArg(ARG(1)), TextArg(ARG(2)), OptionalInt(ARG(3)), count, mode));
}
void RepeatTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetTextResult(r, RepeatText(IntArg(ARG(0)), TextArg(ARG(1))));
}

#undef ARG

}  // namespace

void InstallTextEntries(CommandFn* table) {
  table[kCmdToNumber] = ToNumberEntry;
  table[kCmdToBytes] = ToBytesEntry;
  table[kCmdToText] = ToTextEntry;
  table[kCmdRemoveAllSpaces] = RemoveAllSpacesEntry;
  table[kCmdCharFromCode] = CharFromCodeEntry;
  table[kCmdFindText] = FindTextEntry;
  table[kCmdToUpper] = ToUpperEntry;
  table[kCmdTextLength] = TextLengthEntry;
  table[kCmdBytesLength] = BytesLengthEntry;
  table[kCmdZeroBytes] = ZeroBytesEntry;
  table[kCmdBytesLeft] = BytesLeftEntry;
  table[kCmdSpaceText] = SpaceTextEntry;
  table[kCmdReplaceText] = ReplaceTextEntry;
  table[kCmdTextLeft] = TextLeftEntry;
  table[kCmdTextRight] = TextRightEntry;
  table[kCmdTextMiddle] = TextMiddleEntry;
  table[kCmdToLower] = ToLowerEntry;
  table[kCmdCompareText] = CompareTextEntry;
  table[kCmdDataTypeSize] = DataTypeSizeEntry;
  table[kCmdGetBytesData] = GetBytesDataEntry;
  table[kCmdTrimText] = TrimTextEntry;
  table[kCmdFindBytes] = FindBytesEntry;
  table[kCmdReplaceSubText] = ReplaceSubTextEntry;
  table[kCmdRepeatText] = RepeatTextEntry;
}

}  // namespace vorenn::core_entries
