// GameController: the signed-in game. Entering with the sign-in token, character creation,
// sign-out reset, the user information from the server and the per-second accrual between two
// answers, with the rising figures that animate the gains.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "game/big_number.h"
#include "game/engine_calls.h"

namespace vorenn {
class JsonValue;
}

namespace vorenn::game {

class GameController {
 public:
  GameController() = default;
  GameController(const GameController&) = delete;
  GameController& operator=(const GameController&) = delete;

  ~GameController();
  // The game and creation boxes shown or hidden, both clocks started or stopped, and the keyboard
  // focus to the skills scroll bar.
  void ShowGame(bool show);
  // Without a token the stored sign-in token is sent again.
  void EnterWithToken(std::optional<std::string> token);
  void ResetGame();
  // Applies every member of the user information that is present.
  void ApplyUserInfo(const JsonValue& info);
  void ShowCreatePanel(bool show);
  void CreateCharacter();
  // Once per second while the game runs.
  void Tick();
  void UpdateCultivationTime();

  // The rising figures move up one pixel per animation tick and vanish at the top of their path.
  void AnimationStep();
  // Heights of the game box, the skills viewport and the scroll bar from the window's height.
  void Layout();

  int32_t AccrualSeconds() const { return accrualSeconds_; }
  int32_t RefreshSeconds() const { return refreshSeconds_; }
  const BigNumber& TotalAmount() const { return totalAmount_; }
  const BigNumber& RatePerSecond() const { return ratePerSecond_; }
  const BigNumber& PendingAmount() const { return pendingAmount_; }
  double ClockOffset() const { return clockOffset_; }

 private:
  void BuildSkillRows(const JsonValue& skills);
  void RefreshSkillRows();
  // Shows `digits` as a right-aligned rising figure starting at `top`.
  static void Rise(GameUnit label, const std::string& digits, int32_t top);

  int32_t accrualSeconds_ = 0;  // seconds since the last fold, 0 to 5
  int32_t refreshSeconds_ = 0;  // seconds since the last information request, 0 to 30
  EngineText userId_;
  EngineText userName_;
  double registeredAt_ = 0;
  double serverNow_ = 0;
  double clockOffset_ = 0;  // local time minus the server's "now", whole seconds
  BigNumber totalAmount_;
  BigNumber ratePerSecond_;
  BigNumber pendingAmount_;
};

}  // namespace vorenn::game
