#include "game/ranking_panel.h"

#include <charconv>
#include <vector>

#include "game/globals.h"
#include "game/request_text.h"
#include "game/server_call.h"
#include "game/window_units.h"
#include "json/json_parser.h"
#include "json/json_value.h"

namespace vorenn::game {
namespace {

// The list commands live with the list view's unit type; a program without that library has no
// list to fill.
RuntimeValue ListCommand(int command, std::initializer_list<RuntimeValue> args) {
  if (!HasLibraryCommand(kListViewLibrary, command)) return RuntimeValue{0, 0, kTypeNone};
  return CallLibraryCommand(kListViewLibrary, command, args);
}

}  // namespace

RankingPanel::~RankingPanel() = default;

void RankingPanel::ShowRanking(bool show) {
  int32_t height = ReadInt(units::kWindow, prop::kHeight);
  MoveUnit(units::kRankingList, 2, 36, std::nullopt, height - 70);
  WriteInt(units::kRankingList, prop::kVisible, show ? 1 : 0);
}

void RankingPanel::LoadRanking() {
  std::unique_ptr<JsonValue> answer = CallServer(RankingRequest(Globals().signInToken.View()));
  if (!HasResult(*answer)) return;
  FillRanking(*answer);
}

// A leaderboard has thousands of entries: each is read in place from the answer (no value rebuilt
// per entry or member), and the texts handed to the list reuse the same buffers.
void FillRanking(const JsonValue& answer) {
  std::vector<std::string_view> entries;
  JsonValue::ElementBlobsInBlob(answer.MemberBlobAt("phb"), entries);
  RuntimeValue list = ValueOf(units::kRankingList);
  ListCommand(kCmdClearItems, {list});
  const auto count = int32_t(entries.size());
  std::string rankText, name, money, scratch;
  for (int32_t rank = 1; rank <= count; ++rank) {
    std::string_view item = entries[size_t(rank - 1)];
    char digits[16];
    rankText.assign(digits, std::to_chars(digits, digits + sizeof digits, rank).ptr);
    RuntimeValue row = ListCommand(kCmdInsertItem, {list, Omitted(), TextValue(rankText), Omitted(), Omitted(),
                                                    Omitted(), Omitted()});
    DecodeUnicodeEscapesInto(JsonValue::MemberTextInBlob(item, "name", scratch), name);
    money.assign(JsonValue::MemberTextInBlob(item, "money", scratch));
    ListCommand(kCmdSetItemText, {list, MakeInt(int32_t(row.low)), MakeInt(1), TextValue(name)});
    ListCommand(kCmdSetItemText, {list, MakeInt(int32_t(row.low)), MakeInt(2), TextValue(money)});
  }
}

}  // namespace vorenn::game
