#include "engine/units/unit_contract.h"

#include <map>
#include <vector>

#include "engine/core/library_table.h"
#include "engine/templates/library_callback.h"
#include "engine/templates/window_loader.h"
#include "engine/units/unit_events.h"
#include "engine/units/unit_fonts.h"
#include "engine/units/unit_lifecycle.h"
#include "engine/units/unit_navigation.h"
#include "engine/units/unit_pointers.h"
#include "engine/units/unit_properties.h"
#include "platform/backend.h"

namespace vorenn {
namespace {

// Wraps the runtime's loader host: load events go through the event dispatch (event source,
// runtime errors), and cursor data becomes pointers.
class UnitLoaderHost final : public LoaderHost {
 public:
  LoaderHost* inner = nullptr;

  void BeginLoad() override { inner->BeginLoad(); }
  void EndLoad() override { inner->EndLoad(); }
  bool IsWindow(platform::WindowHandle handle) override { return inner->IsWindow(handle); }
  void RaiseEvent(uint32_t windowId, uint32_t unitId, int32_t event) override {
    RaiseUnitEvent(windowId, unitId, event);
  }
  platform::WindowHandle Focus() override { return inner->Focus(); }
  void SetFocus(platform::WindowHandle handle) override { inner->SetFocus(handle); }
  uintptr_t CreateCursor(std::span<const uint8_t> data) override { return CursorOfPointerData(data); }
  void DestroyCursor(uintptr_t) override {}
  void RunModalLoop(WindowInstance& instance) override { inner->RunModalLoop(instance); }
};

UnitLoaderHost g_host;
std::span<const TypeDescriptor> g_standardTypes;

bool ResolveUnit(uint32_t typeCode, UnitType* type) {
  const TypeDescriptor* descriptor = UnitTypeDescriptor(typeCode);
  if (descriptor == nullptr || descriptor->interface == nullptr) return false;
  type->stateFlags = descriptor->state;
  type->interface = descriptor->interface;
  return true;
}

// Fonts handed out by code 2007 live as long as the program.
intptr_t InternFont(const uint8_t* data, intptr_t size) {
  static std::map<std::vector<uint8_t>, std::vector<uint8_t>> fonts;
  std::vector<uint8_t> record;
  if (data != nullptr && size > 0) record.assign(data, data + size);
  std::vector<uint8_t> font = NormalizedFont(record);
  auto [it, added] = fonts.emplace(font, font);
  (void)added;
  return reinterpret_cast<intptr_t>(it->second.data());
}

intptr_t UnitCallback(int code, intptr_t arg1, intptr_t arg2) {
  switch (code) {
    case kCallbackLoadedWindows: {
      static std::vector<WindowInstance*> windows;
      windows = LoadedWindows();
      return reinterpret_cast<intptr_t>(&windows);
    }
    case kCallbackWindowDestroyed:
      ForgetCopies(FindRecordByHandle(platform::WindowHandle(arg1)).instance);
      return 0;
    case kCallbackCreateFont:
      return InternFont(reinterpret_cast<const uint8_t*>(arg1), arg2);
    case kCallbackRaiseEvent:
    case kCallbackRaiseEventWithResult:
      if (arg1 == 0) return 0;
      return DispatchEvent(*reinterpret_cast<EventRecord*>(arg1), code == kCallbackRaiseEventWithResult) ? 1 : 0;
    default:
      return -1;
  }
}

}  // namespace

TransferForm TransferFormOf(uint16_t kind) {
  switch (kind) {
    case 1000: case 1001: return TransferForm::Word;
    case 1002: case 1004: return TransferForm::TwoWords;
    case 1003: return TransferForm::Logical;
    case 1006: return TransferForm::Word;
    case 1009: case 1010: case 1012: case 1023: case 1024: return TransferForm::Bytes;
    case 1011: return TransferForm::Pointer;
    case 1013: return TransferForm::Font;
    case 1014: case 1015: return TransferForm::Colour;
    case 1017: return TransferForm::ColourOrDefault;
    default: return TransferForm::Text;
  }
}

const TypeDescriptor* UnitTypeDescriptor(uint32_t typeCode) {
  const TypeDescriptor* type = ResolveDataType(typeCode);
  if (type != nullptr && type->interface != nullptr) return type;
  // The standard units answer for the core library while it does not list them itself.
  std::span<const TypeDescriptor> core = g_standardTypes;
  if (IsLibraryType(typeCode) && LibraryOf(typeCode) == 1 && TypeIndexOf(typeCode) >= 1 &&
      TypeIndexOf(typeCode) <= core.size() && core[TypeIndexOf(typeCode) - 1].interface != nullptr) {
    return &core[TypeIndexOf(typeCode) - 1];
  }
  return type;
}

uint16_t PropertyKindOf(const TypeDescriptor& type, int index) {
  if (index < 0 || index >= type.propertyCount || type.properties == nullptr) return 0;
  return type.properties[index].kind;
}

void SetStandardUnitTypes(std::span<const TypeDescriptor> types) { g_standardTypes = types; }

void InstallUnitContract() {
  SetUnitTypeResolver(ResolveUnit);
  SetLibraryCallbackExtension(UnitCallback);
  if (&CurrentLoaderHost() != &g_host) {
    g_host.inner = &CurrentLoaderHost();
    SetLoaderHost(&g_host);
  }
  if (platform::HasBackend()) platform::Native().SetPreTranslateHook(PreTranslateUnitInput);
}

}  // namespace vorenn
