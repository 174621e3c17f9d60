// The game screen: the user information from the server, the accrual between two answers, the
// rising figures and the layout of the game box.
#include <algorithm>
#include <cmath>

#include "game/formatting.h"
#include "game/game_controller.h"
#include "game/globals.h"
#include "game/request_text.h"
#include "game/server_call.h"
#include "game/window_units.h"
#include "json/json_parser.h"
#include "json/json_value.h"

namespace vorenn::game {
namespace {

constexpr int32_t kFoldSeconds = 5;
constexpr int32_t kRefreshSeconds = 30;
// Rising figures are right-aligned at x = 347, 6 pixels per character.
constexpr int32_t kFigureRight = 347;
constexpr int32_t kFigureCharWidth = 6;
constexpr int32_t kPendingFigureTop = 104;
constexpr int32_t kPendingFigureEnd = 90;
constexpr int32_t kTotalFigureTop = 57;
constexpr int32_t kTotalFigureEnd = 43;
constexpr int32_t kMaxVisibleRows = 8;
// Every row up to the highest id is built with units of its own, and building slows with each row
// (a thousand take half a second, ten thousand minutes); an id from a faulty or hostile server, up
// to a number of 5,000 digits, would otherwise freeze the client or never end. No game has more
// skills than this.
constexpr double kMaxSkillRowId = 1000;

bool Present(const JsonValue& info, const char* name) { return !info.GetMember(name)->IsNull(); }

void SetCaption(GameUnit label, const std::string& text) { WriteText(label, prop::kCaption, text); }

}  // namespace

void GameController::ApplyUserInfo(const JsonValue& info) {
  if (Present(info, "id")) userId_ = EngineText(MemberText(info, "id"));
  if (Present(info, "name")) {
    userName_ = EngineText(DecodedMemberText(info, "name"));
    SetCaption(units::kNameLabel, userName_.Str());
    WriteText(units::kWindow, prop::kWindowTitle, "Vorenn 1.0 - [" + userName_.Str() + "]");
  }
  if (Present(info, "gg")) WriteText(units::kNoticeBox, prop::kContent, DecodedMemberText(info, "gg"));
  if (Present(info, "money")) {
    ratePerSecond_.SetText(MemberText(info, "money"));
    SetCaption(units::kRateLabel, FormatBigAmount(ratePerSecond_, false));
  }
  if (Present(info, "now")) {
    serverNow_ = ToDateTime(MemberText(info, "now"));
    clockOffset_ = TimeInterval(CurrentTime(), serverNow_, kUnitSecond);
  }
  if (Present(info, "regdate")) {
    registeredAt_ = ToDateTime(MemberText(info, "regdate"));
    UpdateCultivationTime();
  }
  if (Present(info, "skills")) {
    BuildSkillRows(*info.GetMember("skills"));
    auto n = int32_t(Globals().skillRows.size());
    WriteInt(units::kSkillCanvas, prop::kHeight, n * kSkillRowHeight + 2);
    WriteInt(units::kWindow, prop::kHeight, std::min(n, kMaxVisibleRows) * kSkillRowHeight + 205);
    Layout();
  }
  if (Present(info, "allmoney")) {
    pendingAmount_.SetText("0");
    SetCaption(units::kPendingLabel, "");
    accrualSeconds_ = 0;
    totalAmount_.SetText(MemberText(info, "allmoney"));
    SetCaption(units::kTotalLabel, FormatBigAmount(totalAmount_, false));
    RefreshSkillRows();
  }
}

void GameController::BuildSkillRows(const JsonValue& skills) {
  std::vector<std::unique_ptr<SkillRow>>& rows = Globals().skillRows;
  SkillRow prototype;
  int32_t count = skills.ArraySize();
  for (int32_t i = 1; i <= count; ++i) {
    std::unique_ptr<JsonValue> item = skills.GetElement(i);
    double id = std::trunc(ToNumber(MemberText(*item, "id")));
    if (!(id >= 1) || id > kMaxSkillRowId) continue;
    // Every row up to this id exists afterwards, each with units of its own; the list ends one
    // row past the highest id, a row that is never loaded and stays hidden.
    while (double(rows.size()) <= id) {
      prototype.CreateUnits();
      rows.push_back(prototype.Copy());
    }
    rows[size_t(id) - 1]->Load(*item);
  }
}

void GameController::RefreshSkillRows() {
  for (auto& row : Globals().skillRows) row->Refresh(totalAmount_, ratePerSecond_);
}

void GameController::Rise(GameUnit label, const std::string& digits, int32_t top) {
  SetCaption(label, digits);
  int32_t width = TextLength(digits) * kFigureCharWidth;
  WriteInt(label, prop::kLeft, kFigureRight - width);
  WriteInt(label, prop::kWidth, width);
  WriteInt(label, prop::kTop, top);
  WriteInt(label, prop::kVisible, 1);
}

void GameController::Tick() {
  UpdateCultivationTime();
  ++accrualSeconds_;
  pendingAmount_ = pendingAmount_.Plus(ratePerSecond_);
  SetCaption(units::kPendingLabel, FormatBigAmount(pendingAmount_, false));
  Rise(units::kPendingRiseLabel, ratePerSecond_.Text(), kPendingFigureTop);
  if (accrualSeconds_ >= kFoldSeconds) {
    accrualSeconds_ = 0;
    totalAmount_ = totalAmount_.Plus(pendingAmount_);
    SetCaption(units::kTotalLabel, FormatBigAmount(totalAmount_, false));
    Rise(units::kTotalRiseLabel, pendingAmount_.Text(), kTotalFigureTop);
    pendingAmount_.SetText("0");
    SetCaption(units::kPendingLabel, "");
    RefreshSkillRows();
  }
  if (++refreshSeconds_ >= kRefreshSeconds) {
    refreshSeconds_ = 0;
    if (Globals().signInToken.Empty()) return;
    std::unique_ptr<JsonValue> answer = CallServer(UserInfoRequest(Globals().signInToken.View()));
    // The server's figures replace the client's whatever the code; nothing is shown here.
    if (HasResult(*answer)) ApplyUserInfo(*answer);
  }
}

void GameController::AnimationStep() {
  auto step = [](GameUnit label, int32_t end) {
    int32_t top = ReadInt(label, prop::kTop);
    if (top > end) {
      WriteInt(label, prop::kTop, top - 1);
    } else if (ReadInt(label, prop::kVisible) != 0) {
      // Most ticks find the figure already hidden; reading that costs less than hiding it again.
      WriteInt(label, prop::kVisible, 0);
    }
  };
  step(units::kTotalRiseLabel, kTotalFigureEnd);
  step(units::kPendingRiseLabel, kPendingFigureEnd);
}

void GameController::UpdateCultivationTime() {
  // The server's clock now: the local time shifted back by how far the local clock is ahead.
  double offset = std::trunc(clockOffset_);
  offset = std::clamp(offset, -2147483647.0, 2147483647.0);
  double serverTime = AddTime(CurrentTime(), kUnitSecond, -int32_t(offset));
  double seconds = TimeInterval(serverTime, registeredAt_, kUnitSecond);
  SetCaption(units::kCultivationTimeLabel, FormatDuration(seconds));
}

void GameController::Layout() {
  int32_t height = ReadInt(units::kWindow, prop::kHeight);
  WriteInt(units::kGameGroup, prop::kHeight, height - 30);
  WriteInt(units::kSkillViewport, prop::kHeight, height - 246);
  int32_t viewport = ReadInt(units::kSkillViewport, prop::kHeight);
  WriteInt(units::kSkillScrollBar, prop::kHeight, viewport);
  int32_t canvas = ReadInt(units::kSkillCanvas, prop::kHeight);
  WriteInt(units::kSkillScrollBar, prop::kScrollMaximum, canvas - viewport - 40);
}

}  // namespace vorenn::game
