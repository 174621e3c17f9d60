// Table entries of the window commands; the work is done by the engine
// (engine/standard_units/window_commands.h).
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "commands/command_values.h"
#include "commands/conversion_commands.h"
#include "commands/core_library.h"
#include "commands/internal/core_entries.h"
#include "engine/standard_units/window_commands.h"

namespace vorenn::core_entries {
namespace {

#define ARG(i) Arg(argc, args, i)

UnitRef RefOf(const RuntimeValue& v) { return {v.low, v.high}; }

std::optional<int32_t> OptionalInt(const RuntimeValue& v) {
  return IsOmitted(v) ? std::nullopt : std::optional<int32_t>(IntArg(v));
}

std::vector<uint8_t> WholeFile(std::string_view name) {
  std::ifstream in(std::string(name), std::ios::binary);
  if (!in) return {};
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void LoadWindowEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  std::optional<UnitRef> parent;
  if (!IsOmitted(ARG(1))) parent = RefOf(ARG(1));
  SetBoolResult(r, LoadWindow(RefOf(ARG(0)), parent, BoolArg(ARG(2))));
}

void SetTrayIconEntry(RuntimeValue*, int argc, RuntimeValue* args) {
  const RuntimeValue& icon = ARG(1);
  std::vector<uint8_t> fromFile;
  ByteSpan data;
  if (icon.type == kTypeBytes) {
    data = BytesArg(icon);
  } else if (icon.type == kTypeText && !TextArg(icon).empty()) {
    fromFile = WholeFile(TextArg(icon));
    data = fromFile;
  }
  SetTrayIcon(RefOf(ARG(0)), data, TextArg(ARG(2)));
}

void GetEventUnitEntry(RuntimeValue* r, int, RuntimeValue*) { *r = GetEventUnit(); }

void ShowMessageBoxEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  const RuntimeValue& message = ARG(0);
  bool shown = IsNumericType(message.type) || message.type == kTypeBool || message.type == kTypeDateTime ||
               message.type == kTypeText;
  std::string text = shown ? ToText(message) : std::string();
  std::string_view caption = IsOmitted(ARG(2)) ? std::string_view("信息：") : TextArg(ARG(2));
  SetIntResult(r, ShowMessageBox(text, IntArg(ARG(1)), caption));
}

void MoveUnitEntry(RuntimeValue*, int argc, RuntimeValue* args) {
  MoveUnit(RefOf(ARG(0)), OptionalInt(ARG(1)), OptionalInt(ARG(2)), OptionalInt(ARG(3)), OptionalInt(ARG(4)));
}

void FocusUnitEntry(RuntimeValue*, int argc, RuntimeValue* args) { FocusUnit(RefOf(ARG(0))); }

void CopyUnitEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  VariableRef target = VariableArg(ARG(1));
  bool copied = false;
  if (target.storage != nullptr) {
    copied = CopyUnit(ARG(0).type, RefOf(ARG(0)), target.type, static_cast<UnitRef*>(target.storage));
  }
  SetBoolResult(r, copied);
}

void DestroyUnitEntry(RuntimeValue*, int argc, RuntimeValue* args) { DestroyUnit(RefOf(ARG(0)), BoolArg(ARG(1))); }

void ProcessEventsEntry(RuntimeValue*, int, RuntimeValue*) { ProcessEvents(); }

#undef ARG

}  // namespace

void InstallWindowEntries(CommandFn* table) {
  table[kCmdLoadWindow] = LoadWindowEntry;
  table[kCmdSetTrayIcon] = SetTrayIconEntry;
  table[kCmdGetEventUnit] = GetEventUnitEntry;
  table[kCmdShowMessageBox] = ShowMessageBoxEntry;
  table[kCmdMoveUnit] = MoveUnitEntry;
  table[kCmdFocusUnit] = FocusUnitEntry;
  table[kCmdCopyUnit] = CopyUnitEntry;
  table[kCmdDestroyUnit] = DestroyUnitEntry;
  table[kCmdProcessEvents] = ProcessEventsEntry;
}

}  // namespace vorenn::core_entries
