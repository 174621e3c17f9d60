// Typed calls over the engine's services table, so that the game's code reads as what it does.
// Library commands go through CallCommand by library and command number, unit properties through
// ReadProperty and WriteProperty, texts live in engine memory blocks. Nothing here adds behaviour
// that the services do not have.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "engine/core/runtime_value.h"

namespace vorenn::game {

// A text in an engine memory block that the game owns; the empty text is a null block.
class EngineText {
 public:
  EngineText() = default;
  explicit EngineText(std::string_view text);
  ~EngineText();
  EngineText(EngineText&& other) noexcept;
  EngineText& operator=(EngineText&& other) noexcept;
  EngineText(const EngineText&) = delete;
  EngineText& operator=(const EngineText&) = delete;

  // Takes over a block handed out by the engine or a command.
  static EngineText Adopt(char* block);

  std::string_view View() const { return block_ != nullptr ? std::string_view(block_) : std::string_view(); }
  std::string Str() const { return std::string(View()); }
  const char* CStr() const { return block_ != nullptr ? block_ : ""; }
  bool Empty() const { return block_ == nullptr || block_[0] == '\0'; }
  EngineText Copy() const { return EngineText(View()); }
  // Frees the block; the text is empty afterwards.
  void Reset();

 private:
  char* block_ = nullptr;
};

// A unit of the program's window: its id and the data-type code that its references carry.
struct GameUnit {
  uint32_t id;
  uint32_t type;
};
UnitRef RefOf(GameUnit unit);
UnitRef RefOf(uint32_t unitId);
RuntimeValue ValueOf(GameUnit unit);
RuntimeValue ValueOf(UnitRef ref, uint32_t type);

// Argument records. A text argument must stay alive (and zero-terminated) for the call.
RuntimeValue TextValue(const std::string& text);
RuntimeValue TextValue(const EngineText& text);
inline RuntimeValue Omitted() { return RuntimeValue{0, 0, kTypeNone}; }

// Command calls: library numbers from 1, command numbers from 0.
RuntimeValue CallLibraryCommand(int library, int command, std::initializer_list<RuntimeValue> args);
// Whether the library offers the command (the extended units may not be in the program).
bool HasLibraryCommand(int library, int command);
RuntimeValue CallCore(int command, std::initializer_list<RuntimeValue> args);
// A text result as a std::string; the result's block is freed.
std::string TakeText(const RuntimeValue& result);

// Core commands with the arguments the game uses.
std::string ToText(int32_t value);
std::string ToText(double value);
double ToNumber(const std::string& text);
int32_t TextLength(const std::string& text);
// ToBytes of a text: a new bytes block owned by the caller (null for the empty text).
void* ToBytes(const std::string& text);
// ToText of a bytes block: its bytes up to the first zero.
std::string BytesToText(void* bytes);
// The pressed button (OK 0 ... Yes 5, No 6). No caption: the command's default caption.
int32_t ShowMessageBox(const std::string& message, int32_t style = 0,
                       std::optional<std::string> caption = std::nullopt);
void MoveUnit(GameUnit unit, std::optional<int32_t> left, std::optional<int32_t> top,
              std::optional<int32_t> width = std::nullopt, std::optional<int32_t> height = std::nullopt);
void FocusUnit(GameUnit unit);
// A copy of `source` stored into *target; false when the engine made none.
bool CopyUnit(GameUnit source, UnitRef* target);
void DestroyUnit(UnitRef unit, uint32_t type);
RuntimeValue GetEventUnit();
void SetTrayIcon(const void* iconBytes, const std::string& tip);
bool LoadWindow();
std::string GetRunDirectory();
std::string ReadIniItem(const std::string& file, const std::string& section, const std::string& key);
bool WriteIniItem(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);
double ToDateTime(const std::string& text);
double CurrentTime();
double TimeInterval(double later, double earlier, int32_t unit);
double AddTime(double t, int32_t unit, int32_t amount);
constexpr int32_t kUnitSecond = 8;

// Unit properties by index on the program's window.
int32_t ReadInt(UnitRef unit, int32_t index);
void WriteInt(UnitRef unit, int32_t index, int32_t value);
std::string ReadText(UnitRef unit, int32_t index);
void WriteText(UnitRef unit, int32_t index, const std::string& text);
inline int32_t ReadInt(GameUnit unit, int32_t index) { return ReadInt(RefOf(unit), index); }
inline void WriteInt(GameUnit unit, int32_t index, int32_t value) { WriteInt(RefOf(unit), index, value); }
inline std::string ReadText(GameUnit unit, int32_t index) { return ReadText(RefOf(unit), index); }
inline void WriteText(GameUnit unit, int32_t index, const std::string& text) { WriteText(RefOf(unit), index, text); }

}  // namespace vorenn::game
