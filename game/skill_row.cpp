#include "game/skill_row.h"

#include <cmath>

#include "game/formatting.h"
#include "game/globals.h"
#include "game/request_text.h"
#include "game/server_call.h"
#include "game/window_units.h"
#include "json/json_value.h"

namespace vorenn::game {
namespace {

// Waiting times of this many digits or more (10,000,000 seconds, about 116 days) are "无限期".
constexpr int32_t kEndlessDigits = 8;

void Place(UnitRef unit, int32_t top) {
  WriteInt(unit, prop::kTop, top);
  WriteInt(unit, prop::kVisible, 1);
}

}  // namespace

int32_t PriceTopOfRow(double rowId) { return int32_t(std::trunc(kSkillRowHeight * rowId - 38)); }
int32_t OutputTopOfRow(double rowId) { return int32_t(std::trunc(kSkillRowHeight * rowId - 15)); }

SkillRow::~SkillRow() = default;

std::unique_ptr<SkillRow> SkillRow::Copy() const {
  auto copy = std::make_unique<SkillRow>();
  copy->priceBox_ = priceBox_;
  copy->outputBox_ = outputBox_;
  copy->timeBox_ = timeBox_;
  copy->button_ = button_;
  copy->rowId_ = rowId_;
  copy->name_ = name_.Copy();
  copy->output_ = output_.Copy();
  copy->level_ = level_;
  copy->price_ = price_.Copy();
  copy->affordable_ = affordable_;
  return copy;
}

void SkillRow::CreateUnits() {
  CopyUnit(units::kRowPriceBox, &priceBox_);
  CopyUnit(units::kRowOutputBox, &outputBox_);
  CopyUnit(units::kRowTimeBox, &timeBox_);
  CopyUnit(units::kRowLevelUpButton, &button_);
}

void SkillRow::Load(const JsonValue& item) {
  rowId_ = ToNumber(MemberText(item, "id"));
  Place(priceBox_, PriceTopOfRow(rowId_));
  Place(outputBox_, OutputTopOfRow(rowId_));
  Place(timeBox_, OutputTopOfRow(rowId_));
  Place(button_, PriceTopOfRow(rowId_));
  WriteText(button_, prop::kTag, ToText(rowId_));
  name_ = EngineText(DecodedMemberText(item, "name"));
  output_.SetText(MemberText(item, "money"));
  level_ = ToNumber(MemberText(item, "lvl"));
  price_.SetText(MemberText(item, "buy"));
}

void SkillRow::DestroyUnits() {
  DestroyUnit(priceBox_, kTypeEditBox);
  DestroyUnit(outputBox_, kTypeEditBox);
  DestroyUnit(timeBox_, kTypeEditBox);
  DestroyUnit(button_, kTypeSuperBtn);
}

void SkillRow::Refresh(const BigNumber& total, const BigNumber& rate) {
  std::string mark;
  std::string waiting;
  if (total.Less(price_)) {
    affordable_ = false;
    mark = "×";
    std::string seconds = price_.Minus(total).DividedBy(rate, 0).Text();
    waiting = TextLength(seconds) < kEndlessDigits ? FormatDuration(ToNumber(seconds)) : "无限期";
  } else {
    affordable_ = true;
    mark = "√";
    waiting = "现在";
  }
  WriteText(priceBox_, prop::kContent, "需要:" + FormatBigAmount(price_, true));
  WriteText(button_, prop::kButtonCaption, name_.Str() + "(" + ToText(level_) + ")" + mark);
  WriteText(outputBox_, prop::kContent, "产量:" + FormatBigAmount(output_, true));
  WriteText(timeBox_, prop::kContent, waiting);
}

void SkillRow::LevelUp() {
  if (!affordable_) return;
  std::string query = LevelUpRequest(ToText(rowId_), Globals().signInToken.View());
  // Nothing of the row is used after the request: a sign-out during the wait destroys it.
  std::unique_ptr<JsonValue> answer = CallServer(query);
  if (!HasResult(*answer)) return;
  if (IsSuccess(*answer)) {
    Game().ApplyUserInfo(*answer);
  } else {
    ShowServerMessage(*answer);
  }
}

}  // namespace vorenn::game
