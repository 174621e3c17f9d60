#include "game/engine_calls.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "commands/core_library.h"
#include "engine/core/library_table.h"
#include "engine/runtime/services.h"
#include "resources/window_ids.h"

namespace vorenn::game {
namespace {

char* NewTextBlock(std::string_view text) {
  if (text.empty()) return nullptr;
  auto* block = static_cast<char*>(Services().allocBlock(int32_t(text.size() + 1)));
  std::memcpy(block, text.data(), text.size());
  block[text.size()] = '\0';
  return block;
}

CommandFn CommandOf(int library, int command) {
  std::span<const LibraryDescriptor> table = LibraryTable();
  if (library < 1 || size_t(library) > table.size()) return nullptr;
  const LibraryDescriptor& lib = table[size_t(library - 1)];
  if (command < 0 || command >= lib.commandCount || lib.commands == nullptr) return nullptr;
  return lib.commands[command];
}

}  // namespace

EngineText::EngineText(std::string_view text) : block_(NewTextBlock(text)) {}
EngineText::~EngineText() { Reset(); }
EngineText::EngineText(EngineText&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
EngineText& EngineText::operator=(EngineText&& other) noexcept {
  if (this != &other) {
    Reset();
    block_ = other.block_;
    other.block_ = nullptr;
  }
  return *this;
}
EngineText EngineText::Adopt(char* block) {
  EngineText text;
  text.block_ = block;
  return text;
}
void EngineText::Reset() {
  Services().freeBlock(block_);
  block_ = nullptr;
}

UnitRef RefOf(GameUnit unit) { return UnitRef{window_ids::kMainWindow, unit.id}; }
UnitRef RefOf(uint32_t unitId) { return UnitRef{window_ids::kMainWindow, unitId}; }
RuntimeValue ValueOf(GameUnit unit) { return MakeUnitRef(unit.type, RefOf(unit)); }
RuntimeValue ValueOf(UnitRef ref, uint32_t type) { return MakeUnitRef(type, ref); }

RuntimeValue TextValue(const std::string& text) { return MakePointer(kTypeText, text.c_str()); }
RuntimeValue TextValue(const EngineText& text) { return MakePointer(kTypeText, text.CStr()); }

bool HasLibraryCommand(int library, int command) { return CommandOf(library, command) != nullptr; }

RuntimeValue CallLibraryCommand(int library, int command, std::initializer_list<RuntimeValue> args) {
  // Commands may change their arguments, so they get a copy; the usual few stay on the stack.
  constexpr size_t kOnStack = 8;
  if (args.size() <= kOnStack) {
    RuntimeValue values[kOnStack] = {};
    std::copy(args.begin(), args.end(), values);
    return Services().callCommand(CommandOf(library, command), int(args.size()), values);
  }
  std::vector<RuntimeValue> values(args);
  return Services().callCommand(CommandOf(library, command), int(values.size()), values.data());
}

RuntimeValue CallCore(int command, std::initializer_list<RuntimeValue> args) {
  return CallLibraryCommand(1, command, args);
}

std::string TakeText(const RuntimeValue& result) {
  auto* block = static_cast<char*>(PointerOf(result));
  std::string text = block != nullptr ? block : "";
  Services().freeBlock(block);
  return text;
}

std::string ToText(int32_t value) { return TakeText(CallCore(kCmdToText, {MakeInt(value)})); }
std::string ToText(double value) { return TakeText(CallCore(kCmdToText, {MakeDouble(value)})); }

double ToNumber(const std::string& text) { return DoubleOf(CallCore(kCmdToNumber, {TextValue(text)})); }

int32_t TextLength(const std::string& text) {
  return int32_t(CallCore(kCmdTextLength, {TextValue(text)}).low);
}

void* ToBytes(const std::string& text) { return PointerOf(CallCore(kCmdToBytes, {TextValue(text)})); }

std::string BytesToText(void* bytes) {
  return TakeText(CallCore(kCmdToText, {MakePointer(kTypeBytes, bytes)}));
}

int32_t ShowMessageBox(const std::string& message, int32_t style, std::optional<std::string> caption) {
  RuntimeValue captionValue = caption ? TextValue(*caption) : Omitted();
  return int32_t(CallCore(kCmdShowMessageBox, {TextValue(message), MakeInt(style), captionValue}).low);
}

void MoveUnit(GameUnit unit, std::optional<int32_t> left, std::optional<int32_t> top, std::optional<int32_t> width,
              std::optional<int32_t> height) {
  auto arg = [](std::optional<int32_t> v) { return v ? MakeInt(*v) : Omitted(); };
  CallCore(kCmdMoveUnit, {ValueOf(unit), arg(left), arg(top), arg(width), arg(height)});
}

void FocusUnit(GameUnit unit) { CallCore(kCmdFocusUnit, {ValueOf(unit)}); }

bool CopyUnit(GameUnit source, UnitRef* target) {
  // The target travels as a variable of the source's type, passed by reference.
  RuntimeValue variable = MakePointer(source.type, target);
  return CallCore(kCmdCopyUnit, {ValueOf(source), variable}).low != 0;
}

void DestroyUnit(UnitRef unit, uint32_t type) { CallCore(kCmdDestroyUnit, {ValueOf(unit, type), MakeBool(false)}); }

RuntimeValue GetEventUnit() { return CallCore(kCmdGetEventUnit, {}); }

void SetTrayIcon(const void* iconBytes, const std::string& tip) {
  CallCore(kCmdSetTrayIcon, {ValueOf(GameUnit{window_ids::kMainWindowRecord, kTypeWindow}),
                             MakePointer(kTypeBytes, iconBytes), TextValue(tip)});
}

bool LoadWindow() {
  RuntimeValue window = ValueOf(GameUnit{window_ids::kMainWindowRecord, kTypeWindow});
  return CallCore(kCmdLoadWindow, {window, Omitted(), MakeBool(false)}).low != 0;
}

std::string GetRunDirectory() { return TakeText(CallCore(kCmdGetRunDirectory, {})); }

std::string ReadIniItem(const std::string& file, const std::string& section, const std::string& key) {
  return TakeText(CallCore(kCmdReadIniItem, {TextValue(file), TextValue(section), TextValue(key), Omitted()}));
}

bool WriteIniItem(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
  return CallCore(kCmdWriteIniItem, {TextValue(file), TextValue(section), TextValue(key), TextValue(value)}).low !=
         0;
}

double ToDateTime(const std::string& text) { return DoubleOf(CallCore(kCmdToDateTime, {TextValue(text)})); }
double CurrentTime() { return DoubleOf(CallCore(kCmdCurrentTime, {})); }

double TimeInterval(double later, double earlier, int32_t unit) {
  RuntimeValue a{0, 0, kTypeDateTime}, b{0, 0, kTypeDateTime};
  SetDouble(a, later);
  SetDouble(b, earlier);
  return DoubleOf(CallCore(kCmdTimeInterval, {a, b, MakeInt(unit)}));
}

double AddTime(double t, int32_t unit, int32_t amount) {
  RuntimeValue a{0, 0, kTypeDateTime};
  SetDouble(a, t);
  return DoubleOf(CallCore(kCmdAddTime, {a, MakeInt(unit), MakeInt(amount)}));
}

int32_t ReadInt(UnitRef unit, int32_t index) {
  return int32_t(Services().readProperty(unit.windowId, unit.unitId, index, -1).low);
}

void WriteInt(UnitRef unit, int32_t index, int32_t value) {
  Services().writeProperty(unit.windowId, unit.unitId, index, -1, uint32_t(value), 0);
}

std::string ReadText(UnitRef unit, int32_t index) {
  PropertyValue v = Services().readProperty(unit.windowId, unit.unitId, index, -1);
  return TakeText(RuntimeValue{v.low, v.high, kTypeText});
}

void WriteText(UnitRef unit, int32_t index, const std::string& text) {
  RuntimeValue v = MakePointer(kTypeText, text.empty() ? nullptr : text.c_str());
  Services().writeProperty(unit.windowId, unit.unitId, index, -1, v.low, v.high);
}

}  // namespace vorenn::game
