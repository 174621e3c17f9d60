#include "game/window_events.h"

#include <cmath>

#include "engine/runtime/services.h"
#include "game/globals.h"
#include "game/server_address.h"
#include "game/window_units.h"
#include "resources/program_icon.h"

namespace vorenn::game {
namespace {

constexpr int32_t kWheelStep = 20;
// Runtime errors of the level-up click: a wrong unit type, a row below 1, a row past the list.
constexpr int kErrorSubscriptRange = 1;
constexpr int kErrorSubscriptBelowOne = 4;
constexpr int kErrorTypeMismatch = 5;

void ScrollCanvasToPosition() {
  int32_t position = ReadInt(units::kSkillScrollBar, prop::kScrollPosition);
  WriteInt(units::kSkillCanvas, prop::kTop, 3 - position);
}

}  // namespace

std::string TrayTip(const std::string& title) { return "点击恢复！\r\n" + title; }

void OnWindowCreated() {
  WriteText(units::kWindow, prop::kWindowTitle, "Vorenn 1.0");
  Globals().serverUrl = EngineText(ServerAddress());
  Account().Init();
  Account().ShowPanel(1);
  Account().SetLoginMode(1);
  Account().LoadSettings();
}

void OnWindowMoved() {
  if (ReadInt(units::kWindow, prop::kWindowShowState) != prop::kShowStateMinimised) return;
  SetTrayIcon(ProgramIconBlock(), TrayTip(ReadText(units::kWindow, prop::kWindowTitle)));
  WriteInt(units::kWindow, prop::kVisible, 0);
  WriteInt(units::kWindow, prop::kWindowShowState, 0);
}

void OnWindowResized() { Game().Layout(); }

void OnTrayIconUsed(const uint32_t*, int) {
  WriteInt(units::kWindow, prop::kVisible, 1);
  WriteInt(units::kWindow, prop::kWindowShowState, 0);
}

void OnLoginClicked() { Account().Login(); }

void OnRegisterClicked() {
  Account().SetLoginMode(0);
  Account().SetRegisterMode(1);
}

void OnChangePasswordClicked() {
  Account().SetLoginMode(0);
  Account().SetChangePasswordMode(1);
}

void OnConfirmClicked() { Account().SubmitAccountForm(); }

void OnCancelClicked() {
  Account().SetRegisterMode(0);
  Account().SetChangePasswordMode(0);
  Account().SetLoginMode(1);
}

void OnCreateCharacterClicked() { Game().CreateCharacter(); }

void OnSignOutClicked() {
  constexpr int32_t kYesNo = 4;
  constexpr int32_t kYes = 5;
  if (ShowMessageBox("确认要退出登录？", kYesNo, std::string("询问")) != kYes) return;
  Game().ShowGame(0);
  Game().ResetGame();
  Account().ShowPanel(1);
  Account().Init();
}

void OnCharacterClicked() { Ranking().ShowRanking(0); }

void OnRankingClicked() {
  Ranking().ShowRanking(1);
  Ranking().LoadRanking();
}

void OnSecondTick() { Game().Tick(); }

void OnAnimationTick() { Game().AnimationStep(); }

void OnSkillScrollChanged() { ScrollCanvasToPosition(); }

void OnSkillScrollWheel(const uint32_t* args, int count) {
  auto notches = count > 0 ? int32_t(args[0]) : 0;
  int32_t position = ReadInt(units::kSkillScrollBar, prop::kScrollPosition) - notches * kWheelStep;
  int32_t maximum = ReadInt(units::kSkillScrollBar, prop::kScrollMaximum);
  if (position > maximum) position = maximum;
  WriteInt(units::kSkillScrollBar, prop::kScrollPosition, position);
  ScrollCanvasToPosition();
}

void OnSkillPanelWheel(const uint32_t*, int) {}

void OnLevelUpClicked() {
  RuntimeValue unit = GetEventUnit();
  if (unit.type != kTypeSuperBtn) Services().raiseRuntimeError(kErrorTypeMismatch);
  double row = std::trunc(ToNumber(ReadText(UnitRef{unit.low, unit.high}, prop::kTag))) - 1;
  if (!(row >= 0)) Services().raiseRuntimeError(kErrorSubscriptBelowOne);
  std::vector<std::unique_ptr<SkillRow>>& rows = Globals().skillRows;
  if (row >= double(rows.size())) Services().raiseRuntimeError(kErrorSubscriptRange);
  rows[size_t(row)]->LevelUp();
}

}  // namespace vorenn::game
