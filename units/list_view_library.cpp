#include "units/list_view_library.h"

#include <optional>

#include "commands/command_values.h"
#include "engine/core/type_descriptor.h"
#include "engine/units/unit_properties.h"
#include "units/list_view_unit.h"

namespace vorenn {
namespace {

const RuntimeValue kOmitted{0, 0, kTypeNone};

const RuntimeValue& Arg(int argc, RuntimeValue* args, int i) { return i < argc ? args[i] : kOmitted; }

std::optional<int32_t> OptionalInt(const RuntimeValue& v) {
  return IsOmitted(v) ? std::nullopt : std::optional<int32_t>(IntArg(v));
}

// The live list view a reference names, or null.
ListViewUnit* ListOf(const RuntimeValue& ref) {
  if (ref.type != kTypeListView) return nullptr;
  auto* list = dynamic_cast<ListViewUnit*>(FindUnitWindow(ref.low, ref.high));
  return list != nullptr && list->HasLiveWindow() ? list : nullptr;
}

intptr_t Notify(int code, intptr_t, intptr_t) { return code == kNotifyStart || code == kNotifyEnd ? 0 : -1; }

const TypeDescriptor kNoType{"", "", "", 0, nullptr, 0, 0, 0, nullptr, 0, nullptr, nullptr, 0, nullptr};

}  // namespace

void ClearItemsEntry(RuntimeValue*, int argc, RuntimeValue* args) {
  if (ListViewUnit* list = ListOf(Arg(argc, args, 0))) list->ClearItems();
}

void InsertItemEntry(RuntimeValue* result, int argc, RuntimeValue* args) {
  ListViewUnit* list = ListOf(Arg(argc, args, 0));
  if (list == nullptr) {
    SetIntResult(result, -1);
    return;
  }
  InsertItemArgs item;
  item.position = OptionalInt(Arg(argc, args, 1));
  item.title = TextArg(Arg(argc, args, 2));
  item.image = OptionalInt(Arg(argc, args, 3));
  item.stateImage = OptionalInt(Arg(argc, args, 4));
  item.indent = OptionalInt(Arg(argc, args, 5));
  item.value = OptionalInt(Arg(argc, args, 6));
  SetIntResult(result, list->InsertItem(item));
}

void SetItemTextEntry(RuntimeValue*, int argc, RuntimeValue* args) {
  if (ListViewUnit* list = ListOf(Arg(argc, args, 0)))
    list->SetItemText(IntArg(Arg(argc, args, 1)), IntArg(Arg(argc, args, 2)), TextArg(Arg(argc, args, 3)));
}

LibraryDescriptor ListViewLibrary() {
  static const CommandFn kCommands[kListViewCommandCount] = {ClearItemsEntry, InsertItemEntry, SetItemTextEntry};
  static const TypeDescriptor kTypes[] = {kNoType, kNoType, kNoType, ListViewUnitType()};
  return {"extended units 1", Notify, int(std::size(kTypes)), kTypes, kListViewCommandCount, kCommands};
}

}  // namespace vorenn
