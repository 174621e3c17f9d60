#include "tools/driver/unit_lookup.h"

#include <set>

#include "engine/units/unit_contract.h"
#include "engine/units/unit_lifecycle.h"
#include "engine/units/unit_properties.h"
#include "platform/backend.h"

namespace vorenn::driver {
namespace {

// Copies by the unit they were made from, over the whole instance.
std::set<uint32_t> CopyIds(const WindowInstance& instance) {
  std::set<uint32_t> copies;
  for (const UnitRecord& record : instance.records)
    for (uint32_t id : CopiesOf(instance, record.id)) copies.insert(id);
  return copies;
}

uint32_t SourceOf(const WindowInstance& instance, uint32_t id) {
  for (const UnitRecord& record : instance.records) {
    for (uint32_t copy : CopiesOf(instance, record.id))
      if (copy == id) return record.id;
  }
  return 0;
}

void AppendWithCopies(WindowInstance& instance, UnitRecord& record, uint32_t copyOf,
                      std::vector<UnitAt>* out, int depth) {
  out->push_back(UnitAt{&instance, &record, copyOf});
  // A copy of a copy is listed after it; the depth bound only guards against a cycle.
  if (depth > 64) return;
  for (uint32_t id : CopiesOf(instance, record.id)) {
    if (UnitRecord* copy = FindRecord(instance, id)) AppendWithCopies(instance, *copy, record.id, out, depth + 1);
  }
}

struct NamedIndex {
  std::string_view type;  // "" : every type
  std::string_view property;
  int index;
};

// Names of the properties scripts read most; the index is the type's own numbering.
constexpr NamedIndex kNamedIndices[] = {
    {"", "left", 0},           {"", "top", 1},
    {"", "width", 2},          {"", "height", 3},
    {"", "tag", 4},            {"", "visible", 5},
    {"", "disabled", 6},
    {"window", "title", 8},    {"window", "position", 18},
    {"Label", "caption", 8},   {"GroupBox", "caption", 8},
    {"Button", "caption", 10}, {"SuperBtn", "caption", 22},
    {"EditBox", "content", 8},
    {"VScrollBar", "minimum", 8}, {"VScrollBar", "maximum", 9}, {"VScrollBar", "position", 12},
    {"Timer", "interval", 8},
};

}  // namespace

std::optional<UnitAt> FindUnitByName(std::string_view gbkName, const std::string* gbkTag) {
  for (WindowInstance* instance : LoadedWindows()) {
    for (UnitRecord& record : instance->records) {
      if (record.name != gbkName) continue;
      if (gbkTag != nullptr && record.tag != *gbkTag) continue;
      return UnitAt{instance, &record, SourceOf(*instance, record.id)};
    }
  }
  return std::nullopt;
}

std::vector<UnitAt> UnitsInDumpOrder() {
  std::vector<UnitAt> units;
  for (WindowInstance* instance : LoadedWindows()) {
    std::set<uint32_t> copies = CopyIds(*instance);
    for (UnitRecord& record : instance->records) {
      if (copies.count(record.id) == 0) AppendWithCopies(*instance, record, 0, &units, 0);
    }
  }
  return units;
}

platform::WindowHandle HandleOf(const UnitAt& unit) {
  if (!HasLiveWindow(*unit.record)) return platform::kNoWindow;
  return unit.record->window->Handle();
}

bool IsShowing(platform::WindowHandle w) {
  platform::Backend& native = platform::Native();
  for (; w != platform::kNoWindow; w = native.ParentOf(w)) {
    if (!native.IsWindow(w) || !native.IsVisible(w)) return false;
  }
  return true;
}

std::string TypeNameOf(const UnitAt& unit) {
  const TypeDescriptor* type = UnitTypeDescriptor(unit.record->type);
  return type != nullptr && type->englishName != nullptr ? type->englishName : "";
}

int PropertyCountOf(const UnitAt& unit) {
  const TypeDescriptor* type = UnitTypeDescriptor(unit.record->type);
  return type != nullptr ? type->propertyCount : 0;
}

int NamedPropertyIndex(std::string_view typeName, std::string_view property) {
  for (const NamedIndex& n : kNamedIndices) {
    if (n.property == property && (n.type.empty() || n.type == typeName)) return n.index;
  }
  return -1;
}

int TextPropertyIndex(std::string_view typeName) {
  for (std::string_view name : {"caption", "content", "title"}) {
    int index = NamedPropertyIndex(typeName, name);
    if (index >= 0) return index;
  }
  return -1;
}

}  // namespace vorenn::driver
