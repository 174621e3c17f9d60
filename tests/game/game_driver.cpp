#include "tests/game/game_driver.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/program_directory.h"
#include "engine/runtime/exit_routine.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/init_runtime.h"
#include "engine/templates/window_template.h"
#include "engine/templates/window_template_units.h"
#include "game/game_entry.h"
#include "game/program_image.h"
#include "game/server_address.h"
#include "game/window_units.h"
#include "tests/support/environment.h"
#include "tests/support/temp_folder.h"

namespace vorenn::testing {
namespace {

std::string g_folder;

}  // namespace

void PrepareProgram() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  platform::InstallHeadlessBackend().EchoMessageBoxes(false);
  game::InstallProgramImage();
  InstallRuntimeErrorPorts();
  InitRuntime();
  // The internet and thread stand-ins stay where the test program is; the settings file goes to a
  // folder of its own.
  SetExtraDllDirectory(std::string(ProgramDirectory()) + "/");
  g_folder = test_support::TempFolder("vorenn-game");
  if (g_folder.empty()) std::abort();
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
  });
  SetProgramDirectory(g_folder.c_str());
}

const std::string& ProgramFolder() { return g_folder; }
std::string SettingsPath() { return g_folder + "/pz.ini"; }

void GameDriver::Start(const std::string& serverUrl) {
  PrepareProgram();
  native_ = &platform::InstallHeadlessBackend();
  native_->EchoMessageBoxes(false);
  test_support::SetEnvironment(game::kServerAddressVariable, serverUrl);
  running_ = true;
  ASSERT_TRUE(game::StartGame());
  Pump();
}

void GameDriver::Stop() {
  if (!running_) return;
  running_ = false;
  platform::WindowHandle window = Handle(game::units::kWindow);
  if (window != platform::kNoWindow) native_->DestroyNativeWindow(window);
  Pump();
  game::EndRoutine();
}

GameDriver::~GameDriver() { Stop(); }

platform::WindowHandle GameDriver::Handle(UnitRef unit) const {
  WindowInstance* instance = FindLoadedWindow(unit.windowId);
  UnitRecord* record = instance != nullptr ? FindRecord(*instance, unit.unitId) : nullptr;
  UnitWindow* window = record != nullptr ? LiveWindowOf(*record) : nullptr;
  return window != nullptr ? window->Handle() : platform::kNoWindow;
}

platform::WindowHandle GameDriver::Handle(game::GameUnit unit) const { return Handle(game::RefOf(unit)); }

void GameDriver::Type(game::GameUnit box, const std::string& text) { game::WriteText(box, 8, text); }

void GameDriver::Click(game::GameUnit unit) { Click(game::RefOf(unit)); }

void GameDriver::Click(UnitRef unit) {
  native_->Click(Handle(unit));
  Pump();
}

void GameDriver::Minimise() {
  native_->SetShowState(Handle(game::units::kWindow), platform::ShowState::Minimized);
  Pump();
}

void GameDriver::UseTrayIcon(int action) {
  native_->TrayClick(Handle(game::units::kWindow), action);
  Pump();
}

void GameDriver::Wheel(game::GameUnit unit, int notches) { Wheel(game::RefOf(unit), notches); }

void GameDriver::Wheel(UnitRef unit, int notches) {
  native_->Wheel(Handle(unit), notches);
  Pump();
}

void GameDriver::Advance(uint64_t ms) { native_->RunFor(ms); }

void GameDriver::Pump() { native_->DispatchPending(); }

std::vector<std::vector<std::string>> GameDriver::ListRows(game::GameUnit list) const {
  platform::WindowHandle handle = Handle(list);
  std::vector<std::vector<std::string>> rows(size_t(native_->ListItemCount(handle)));
  int columns = native_->ListColumnCount(handle);
  for (size_t row = 0; row < rows.size(); ++row)
    for (int column = 0; column < columns; ++column)
      rows[row].push_back(native_->ListItemText(handle, int(row), column));
  return rows;
}

std::vector<std::string> GameDriver::BoxTexts() const {
  std::vector<std::string> texts;
  for (const platform::RecordedMessageBox& box : native_->MessageBoxes()) texts.push_back(box.text);
  return texts;
}

}  // namespace vorenn::testing
