// Drives the game in-process on the headless backend, the way a player would: the program's
// tables installed once, then for each run a fresh
// backend, the game's own start-up, and operations on units by name: type into edit boxes, click,
// answer message boxes, minimise, use the tray icon, turn the wheel, let virtual time pass.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/runtime_value.h"
#include "game/engine_calls.h"
#include "platform/headless/headless_backend.h"

namespace vorenn::testing {

// Once per process: the program image as the program's main assembles it, the engine initialised,
// the program directory moved to a fresh temporary folder (where the settings file goes).
void PrepareProgram();
// The temporary program directory.
const std::string& ProgramFolder();
std::string SettingsPath();

class GameDriver {
 public:
  // A fresh headless backend (clock at 2024-01-01 08:00:00), the server address in the
  // environment, then the game's start-up up to the message loop. Fails the test when the window
  // does not load.
  void Start(const std::string& serverUrl);
  // Closes the window and runs the end routine.
  void Stop();
  ~GameDriver();

  platform::HeadlessBackend& Native() { return *native_; }
  platform::WindowHandle Handle(UnitRef unit) const;
  platform::WindowHandle Handle(game::GameUnit unit) const;

  // Typing into an edit box: its content replaced.
  void Type(game::GameUnit box, const std::string& text);
  // A left click at the unit's centre, then everything it queued dispatched.
  void Click(game::GameUnit unit);
  void Click(UnitRef unit);
  void Minimise();
  void UseTrayIcon(int action);
  // The wheel turned with the pointer over the unit (it reaches the focused unit).
  void Wheel(game::GameUnit unit, int notches);
  void Wheel(UnitRef unit, int notches);
  // Lets virtual time pass, firing the clocks as they fall due.
  void Advance(uint64_t ms);
  void Pump();

  int32_t Int(game::GameUnit unit, int32_t index) const { return game::ReadInt(unit, index); }
  int32_t Int(UnitRef unit, int32_t index) const { return game::ReadInt(unit, index); }
  std::string Text(game::GameUnit unit, int32_t index = 8) const { return game::ReadText(unit, index); }
  std::string Text(UnitRef unit, int32_t index = 8) const { return game::ReadText(unit, index); }
  bool Visible(game::GameUnit unit) const { return Int(unit, 5) != 0; }
  bool Visible(UnitRef unit) const { return Int(unit, 5) != 0; }

  // The rows of a list view, each with the texts of every column.
  std::vector<std::vector<std::string>> ListRows(game::GameUnit list) const;

  // Message boxes: answers for the next ones, and those shown so far (texts GBK).
  void AnswerNextBox(int answer) { native_->QueueMessageBoxAnswer(answer); }
  std::vector<std::string> BoxTexts() const;
  std::vector<platform::RecordedMessageBox> Boxes() const { return native_->MessageBoxes(); }
  void ClearBoxes() { native_->ClearMessageBoxes(); }

 private:
  platform::HeadlessBackend* native_ = nullptr;
  bool running_ = false;
};

}  // namespace vorenn::testing
