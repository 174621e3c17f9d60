// GameController: entering the game, character creation, sign-out reset and the boxes' states.
// The game screen's own operations are in game_screen.cpp.
#include "game/game_controller.h"

#include "game/globals.h"
#include "game/request_text.h"
#include "game/server_call.h"
#include "game/window_units.h"
#include "json/json_value.h"

namespace vorenn::game {
namespace {

constexpr int32_t kSecondPeriodMs = 1000;
constexpr int32_t kAnimationPeriodMs = 20;

void StartClocks(bool running) {
  WriteInt(units::kSecondTimer, prop::kTimerPeriod, running ? kSecondPeriodMs : 0);
  WriteInt(units::kAnimationTimer, prop::kTimerPeriod, running ? kAnimationPeriodMs : 0);
}

}  // namespace

GameController::~GameController() = default;

void GameController::ShowGame(bool show) {
  int32_t visible = show ? 1 : 0;
  WriteInt(units::kGameGroup, prop::kVisible, visible);
  WriteInt(units::kCreateGroup, prop::kVisible, visible);
  StartClocks(show);
  FocusUnit(units::kSkillScrollBar);
}

void GameController::EnterWithToken(std::optional<std::string> token) {
  if (token) Globals().signInToken = EngineText(*token);
  std::unique_ptr<JsonValue> answer = CallServer(EnterGameRequest(Globals().signInToken.View()));
  if (!HasResult(*answer)) return;
  if (!IsSuccess(*answer)) {
    ShowServerMessage(*answer);
    return;
  }
  WriteInt(units::kSignInGroup, prop::kVisible, 0);
  WriteInt(units::kWindow, prop::kHeight, 200);
  WriteInt(units::kGameGroup, prop::kVisible, 1);
  StartClocks(true);
  // As ShowGame does: the focus the sign-in box held went with it, and the wheel turns for the
  // focused unit, so the skills scroll bar takes it and the wheel scrolls the rows wherever the
  // pointer rests.
  FocusUnit(units::kSkillScrollBar);
  ApplyUserInfo(*answer);
}

void GameController::ResetGame() {
  StartClocks(false);
  WriteText(units::kWindow, prop::kWindowTitle, "Vorenn 1.0");
  Globals().signInToken.Reset();
  // Destroying a row's units can run no handler, but take the rows out of the list first so
  // that nothing can reach a half-removed row.
  std::vector<std::unique_ptr<SkillRow>> rows = std::move(Globals().skillRows);
  Globals().skillRows.clear();
  for (auto& row : rows) row->DestroyUnits();
}

void GameController::ShowCreatePanel(bool show) {
  if (show) MoveUnit(units::kCreateGroup, 2, -1);
  WriteInt(units::kCreateGroup, prop::kVisible, show ? 1 : 0);
}

void GameController::CreateCharacter() {
  std::string name = ReadText(units::kCharacterNameBox, prop::kContent);
  std::unique_ptr<JsonValue> answer = CallServer(CreateCharacterRequest(name, Globals().signInToken.View()));
  if (!HasResult(*answer)) return;
  ShowServerMessage(*answer);
  if (!IsSuccess(*answer)) return;
  ShowCreatePanel(0);
  EnterWithToken(std::nullopt);
}

}  // namespace vorenn::game
