#include "tests/reliability/window_model.h"

#include <gtest/gtest.h>

#include "game/globals.h"
#include "game/window_units.h"

namespace vorenn::testing {
namespace {

namespace units = game::units;
namespace prop = game::prop;

constexpr char kParseErrorHead[] = "错误信息：\r\n";
constexpr char kParseErrorContent[] = "\r\n错误内容：\r\n";

// The client's own form of a whole amount: its digits and their count.
std::string Formatted(const std::string& digits) { return digits + "(" + std::to_string(digits.size()) + "位)"; }

// Whole non-negative amounts without leading zeros.
bool NotLess(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() > b.size() : a >= b;
}

// Actions whose sender shows "t" when the code is not "1".
bool ShowsFailures(Action action) {
  return action == Action::Login || action == Action::Enter || action == Action::Create ||
         action == Action::LevelUp || action == Action::Other;
}

}  // namespace

void WindowModel::Reset() {
  rows_.clear();
  title_.reset();
  state_ = State::SignIn;
}

void WindowModel::SignedOut() { Reset(); }

void WindowModel::ApplyUserInfo(const UserInfo& info) {
  if (info.name) title_ = info.name;
  if (info.rate) rate_ = info.rate;
  if (info.skills) {
    for (const SkillItem& item : *info.skills) {
      while (rows_.size() <= size_t(item.id)) rows_.emplace_back();
      rows_[size_t(item.id) - 1] = item;
    }
  }
  if (info.total) total_ = info.total;
}

void WindowModel::Apply(const PlannedAnswer& answer, std::vector<ExpectedBox>* boxes) {
  if (!answer.parses) {
    boxes->push_back({answer.shown, true, answer.shownIsPrefix, "parse error"});
    return;
  }
  if (!answer.code) return;
  const std::string& code = *answer.code;
  auto message = [&](const char* kind) { boxes->push_back({answer.message, false, false, kind}); };
  if (code == "-1") {
    state_ = State::Creation;
    return;
  }
  if (code == "-2") {
    Reset();
    message("-2 message");
    if (ShowsFailures(answer.action)) message("-2 message, again by the sender");
    if (answer.action == Action::Ranking) ranking_ = answer.ranking;
    if (answer.action == Action::Info && answer.info) ApplyUserInfo(*answer.info);
    return;
  }
  bool success = code == "1";
  switch (answer.action) {
    case Action::Info:
      if (answer.info) ApplyUserInfo(*answer.info);
      return;
    case Action::Ranking:
      ranking_ = answer.ranking;
      return;
    case Action::Create:
      message(success ? "creation message" : "failure message");
      if (success) state_ = State::Game;
      return;
    case Action::Enter:
    case Action::LevelUp:
      if (!success) return message("failure message");
      if (answer.action == Action::Enter) state_ = State::Game;
      if (answer.info) ApplyUserInfo(*answer.info);
      return;
    default:
      if (!success) message("failure message");
      return;
  }
}

void WindowModel::CheckWindow(const GameDriver& game, const std::string& context) {
  SCOPED_TRACE(context);
  bool signIn = game.Visible(units::kSignInGroup), inGame = game.Visible(units::kGameGroup);
  bool creating = game.Visible(units::kCreateGroup);
  ASSERT_NE(signIn, inGame) << "exactly one of the sign-in box and the game box shows";
  ASSERT_EQ(signIn, state_ == State::SignIn);
  ASSERT_EQ(creating, state_ == State::Creation);

  EXPECT_EQ(game.Text(units::kWindow), title_ ? "Vorenn 1.0 - [" + *title_ + "]" : std::string("Vorenn 1.0"));
  std::string totalText = game.Text(units::kTotalLabel);
  if (total_) {
    EXPECT_EQ(totalText, Formatted(*total_)) << "the total just sent";
  }
  if (rate_) {
    EXPECT_EQ(game.Text(units::kRateLabel), Formatted(*rate_)) << "the output just sent";
  }
  total_.reset();
  rate_.reset();

  auto& rows = game::Globals().skillRows;
  ASSERT_EQ(rows.size(), rows_.size()) << "one row past the highest id ever sent since sign-in";
  std::string total = totalText.substr(0, totalText.find('('));
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    const game::SkillRow& row = *rows[i];
    ASSERT_EQ(game.Visible(row.Button()), rows_[i].has_value());
    if (!rows_[i]) continue;
    const SkillItem& item = *rows_[i];
    bool affordable = NotLess(total, item.price);
    EXPECT_EQ(game.Text(row.PriceBox()), "需要:" + Formatted(item.price));
    EXPECT_EQ(game.Text(row.OutputBox()), "产量:" + Formatted(item.money));
    EXPECT_EQ(game.Text(row.Button(), prop::kButtonCaption),
              item.name + "(" + item.level + ")" + (affordable ? "√" : "×"));
    if (affordable) {
      EXPECT_EQ(game.Text(row.TimeBox()), "现在");
    }
  }
  std::vector<std::vector<std::string>> listed = game.ListRows(units::kRankingList);
  ASSERT_EQ(listed.size(), ranking_.size()) << "the leaderboard holds the last answer's entries";
  for (size_t i = 0; i < listed.size(); ++i)
    ASSERT_EQ(listed[i], std::vector<std::string>(ranking_[i].begin(), ranking_[i].end())) << "entry " << i + 1;
}

void CheckBoxes(const std::vector<ExpectedBox>& expected, const std::vector<std::string>& shown,
                const std::string& context) {
  SCOPED_TRACE(context);
  ASSERT_EQ(shown.size(), expected.size()) << "boxes shown";
  for (size_t i = 0; i < shown.size(); ++i) {
    if (!expected[i].parseError) {
      EXPECT_EQ(shown[i], expected[i].text) << "box " << i + 1;
      continue;
    }
    const std::string& text = shown[i];
    ASSERT_EQ(text.rfind(kParseErrorHead, 0), 0u) << "box " << i + 1 << ": " << text.substr(0, 200);
    size_t content = text.find(kParseErrorContent);
    ASSERT_NE(content, std::string::npos) << "box " << i + 1;
    EXPECT_GT(content, std::string(kParseErrorHead).size()) << "the parser's message is not empty";
    std::string after = text.substr(content + std::string(kParseErrorContent).size());
    if (expected[i].prefix)
      EXPECT_EQ(expected[i].text.rfind(after, 0), 0u) << "box " << i + 1 << " shows a prefix of what was sent";
    else
      EXPECT_TRUE(after == expected[i].text) << "box " << i + 1 << " shows the answer as received";
  }
}

std::string Summary(const std::vector<PlannedAnswer>& served) {
  std::string text;
  for (const PlannedAnswer& answer : served)
    text += std::string(" ") + ActionName(answer.action) + "/" + KindName(answer.kind);
  return text.empty() ? " none" : text;
}

}  // namespace vorenn::testing
