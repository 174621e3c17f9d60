#include "tests/game/extended_unit_stand_ins.h"

#include <array>

#include "commands/command_values.h"
#include "engine/internal/unit_tables.h"
#include "engine/unit_base.h"
#include "engine/window_template.h"
#include "game/window_units.h"

namespace vorenn::testing {
namespace {

// Any stored version loads; the stand-ins read no fields of it.
constexpr UnitLayout kLayout{99, {}};

class SuperBtnStandIn final : public Unit {
 public:
  explicit SuperBtnStandIn(const UnitCreateArgs& args) : Unit(args, kLayout, 35) {}
  bool Init(const UnitCreateArgs& args) {
    platform::WindowSpec spec;
    spec.role = platform::WindowRole::Button;
    return Create(args, spec);
  }

 protected:
  platform::EventAnswer OnEvent(const platform::WindowEvent& e) override {
    if (e.kind == platform::EventKind::Clicked) Raise(0);
    return {};
  }
};

class ListViewStandIn final : public Unit {
 public:
  explicit ListViewStandIn(const UnitCreateArgs& args) : Unit(args, kLayout, 39) {}
  bool Init(const UnitCreateArgs& args) {
    platform::WindowSpec spec;
    spec.role = platform::WindowRole::Panel;
    return Create(args, spec);
  }
  std::vector<std::vector<std::string>> rows;
};

// SuperBtn: own properties 8-34, the caption (22) and the tool tip (33) texts.
constexpr uint16_t kSuperBtnKinds[] = {
    kKindPick, kKindLogical, kKindLogical, kKindPick, kKindPick, kKindLogical, kKindLogical,  // 8-14
    kKindBytes, kKindColourOrDefault, kKindBytes, kKindColourOrDefault, kKindBytes,            // 15-19
    kKindColourOrDefault, kKindFont, kKindText, kKindLogical, kKindColour,                    // 20-24
    kKindColourOrDefault, kKindColour, kKindColourOrDefault, kKindColour, kKindColourOrDefault,  // 25-29
    kKindLogical, kKindBytes, kKindBytes, kKindText, kKindPick,                              // 30-34
};
constexpr auto kSuperBtnProperties = internal::PropertyTable(kSuperBtnKinds);
constexpr uint16_t kListViewKinds[31] = {};
constexpr auto kListViewProperties = internal::PropertyTable(kListViewKinds);
constexpr int kOneEvent[] = {0};
constexpr auto kEvents = internal::EventTable(kOneEvent);
constexpr uint32_t kWindowedState = 0x80000040;

const TypeDescriptor kNoType{"", "", "", 0, nullptr, 0, 0, 0, nullptr, 0, nullptr, nullptr, 0, nullptr};
const TypeDescriptor kSuperBtnTypes[] = {internal::UnitTypeDescriptorOf(
    "SuperBtn", kWindowedState, kSuperBtnProperties, kEvents, &StandardUnitInterface<SuperBtnStandIn>)};
const TypeDescriptor kListViewTypes[] = {
    kNoType, kNoType, kNoType,
    internal::UnitTypeDescriptorOf("ListView", kWindowedState, kListViewProperties, kEvents,
                                   &StandardUnitInterface<ListViewStandIn>)};

ListViewStandIn* ListOf(const RuntimeValue& v) {
  WindowInstance* instance = FindLoadedWindow(v.low);
  UnitRecord* record = instance != nullptr ? FindRecord(*instance, v.high) : nullptr;
  return record != nullptr ? dynamic_cast<ListViewStandIn*>(record->window) : nullptr;
}

const RuntimeValue& Arg(int argc, RuntimeValue* args, int i) {
  static const RuntimeValue kOmitted{0, 0, kTypeNone};
  return i < argc ? args[i] : kOmitted;
}

void ClearItems(RuntimeValue*, int argc, RuntimeValue* args) {
  if (ListViewStandIn* list = ListOf(Arg(argc, args, 0))) list->rows.clear();
}

void InsertItem(RuntimeValue* result, int argc, RuntimeValue* args) {
  ListViewStandIn* list = ListOf(Arg(argc, args, 0));
  if (list == nullptr) return SetIntResult(result, -1);
  int32_t count = int32_t(list->rows.size());
  int32_t position = IntArg(Arg(argc, args, 1), -1);
  if (position < 0 || position > count) position = count;
  list->rows.insert(list->rows.begin() + position, {std::string(TextArg(Arg(argc, args, 2)))});
  SetIntResult(result, position);
}

void SetItemText(RuntimeValue*, int argc, RuntimeValue* args) {
  ListViewStandIn* list = ListOf(Arg(argc, args, 0));
  int32_t row = IntArg(Arg(argc, args, 1));
  int32_t column = IntArg(Arg(argc, args, 2));
  if (list == nullptr || row < 0 || row >= int32_t(list->rows.size()) || column < 0) return;
  std::vector<std::string>& cells = list->rows[size_t(row)];
  if (cells.size() <= size_t(column)) cells.resize(size_t(column) + 1);
  cells[size_t(column)] = std::string(TextArg(Arg(argc, args, 3)));
}

}  // namespace

std::span<const TypeDescriptor> SuperBtnStandInTypes() { return kSuperBtnTypes; }
std::span<const TypeDescriptor> ListViewStandInTypes() { return kListViewTypes; }

std::span<const CommandFn> ListViewStandInCommands() {
  static std::array<CommandFn, 3> commands = [] {
    std::array<CommandFn, 3> table{};
    table[size_t(game::kCmdClearItems)] = ClearItems;
    table[size_t(game::kCmdInsertItem)] = InsertItem;
    table[size_t(game::kCmdSetItemText)] = SetItemText;
    return table;
  }();
  return commands;
}

std::vector<std::vector<std::string>> ListRows(uint32_t unitId) {
  ListViewStandIn* list = ListOf(RuntimeValue{game::units::kWindowId, unitId, kTypeListView});
  return list != nullptr ? list->rows : std::vector<std::vector<std::string>>{};
}

}  // namespace vorenn::testing
