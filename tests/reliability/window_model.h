// What the window must show after the answers the hostile server gave: the boxes each answer calls
// for, which of the sign-in, creation and game states the window is in, the skill rows and the
// leaderboard as the last applied answers left them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/game/game_driver.h"
#include "tests/reliability/hostile_answers.h"

namespace vorenn::testing {

struct ExpectedBox {
  std::string text;  // a message, or for a parse error what follows "错误内容：\r\n"
  bool parseError = false;
  bool prefix = false;  // parse errors of cut answers: any prefix of `text`
  const char* kind = "";  // for the figures: what called for it
};

class WindowModel {
 public:
  enum class State { SignIn, Creation, Game };
  State Expected() const { return state_; }

  // The player confirmed the sign-out.
  void SignedOut();
  // One served answer, in the order served: the boxes it calls for are appended to `boxes`.
  void Apply(const PlannedAnswer& answer, std::vector<ExpectedBox>* boxes);
  // Fails the test where the window differs from the model.
  void CheckWindow(const GameDriver& game, const std::string& context);

 private:
  void Reset();
  void ApplyUserInfo(const UserInfo& info);

  State state_ = State::SignIn;
  std::optional<std::string> title_;  // the character name in the title; none: the bare title
  std::vector<std::optional<SkillItem>> rows_;
  std::vector<RankingRow> ranking_;
  // Checked once, right after the step that applied them.
  std::optional<std::string> total_, rate_;
};

void CheckBoxes(const std::vector<ExpectedBox>& expected, const std::vector<std::string>& shown,
                const std::string& context);
// "login/user-info, info/closed, ..." for failure messages.
std::string Summary(const std::vector<PlannedAnswer>& served);

}  // namespace vorenn::testing
