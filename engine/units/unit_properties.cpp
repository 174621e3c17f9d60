#include "engine/units/unit_properties.h"

#include <algorithm>
#include <cstring>

#include "engine/core/memory.h"
#include "engine/core/runtime_error.h"
#include "engine/core/runtime_value.h"
#include "engine/units/unit_contract.h"
#include "engine/units/unit_fonts.h"
#include "engine/units/unit_lifecycle.h"
#include "engine/units/unit_pointers.h"
#include "platform/backend.h"

namespace vorenn {
namespace {

using platform::Native;

constexpr int kSubscriptOutOfRange = 1;
constexpr uint32_t kColourMask = 0x00FFFFFF;
constexpr uint32_t kDefaultColour = 0xFF000000;

enum CommonProperty : int {
  kLeft = 0, kTop = 1, kWidth = 2, kHeight = 3, kTag = 4, kVisible = 5, kDisabled = 6, kPointer = 7,
};

PropertyValue Word(uint32_t low) { return {low, 0}; }

PropertyValue Pointer(const void* p) {
  RuntimeValue v{0, 0, 0};
  SetPointer(v, p);
  return {v.low, v.high};
}

const void* PointerOfWords(uint32_t low, uint32_t high) { return PointerOf(RuntimeValue{low, high, 0}); }

bool NeverShown(const UnitRecord& record) {
  const TypeDescriptor* type = UnitTypeDescriptor(record.type);
  return type != nullptr && (type->state & kUnitStateNeverShown) != 0;
}

void SetFlag(UnitRecord& record, uint32_t flag, bool on) {
  record.flags = on ? record.flags | flag : record.flags & ~flag;
}

// --- menu items: caption and the three flag bits; this engine builds no menus to refresh ---

PropertyValue ReadMenuItem(const UnitRecord& record, int32_t index) {
  switch (index) {
    case 0: return Pointer(NewTextBlock(record.menuCaption));
    case 1: return Word((record.flags >> 2) & 1);
    case 2: return Word((record.flags >> 1) & 1);
    case 3: return Word(~record.flags & 1);
    default: return Word(0);
  }
}

void WriteMenuItem(UnitRecord& record, int32_t index, uint32_t low, uint32_t high) {
  switch (index) {
    case 0: record.menuCaption = TextOfBlock(PointerOfWords(low, high)); break;
    case 1: SetFlag(record, 1u << 2, low != 0); break;
    case 2: SetFlag(record, 1u << 1, low != 0); break;
    case 3: SetFlag(record, 1u << 0, low == 0); break;
    default: break;
  }
}

// --- own properties, converted by kind ---

struct OwnAccess {
  const TypeDescriptor* type;
  uint16_t kind;
};

OwnAccess OwnPropertyOf(const UnitRecord& record, int32_t index) {
  if (!HasLiveWindow(record)) ReportRuntimeError("指定窗口尚未载入", 0);
  const TypeDescriptor* type = UnitTypeDescriptor(record.type);
  uint16_t kind = type != nullptr ? PropertyKindOf(*type, index) : 0;
  if (kind == 0) RaiseRuntimeError(kSubscriptOutOfRange);
  return {type, kind};
}

UnitValue CurrentValue(const OwnAccess& own, UnitWindow& unit, int32_t index) {
  UnitValue value;
  auto get = OperationOf<GetPropertyOperation>(*own.type, kOpGetProperty);
  if (get == nullptr || !get(unit, index - 8, &value)) return UnitValue{};
  return value;
}

PropertyValue ToTransfer(uint16_t kind, const UnitValue& v, int32_t arrayIndex) {
  switch (TransferFormOf(kind)) {
    case TransferForm::Word:
    case TransferForm::Colour:
    case TransferForm::ColourOrDefault: return Word(uint32_t(v.number));
    case TransferForm::TwoWords: return {uint32_t(v.number), uint32_t(uint64_t(v.number) >> 32)};
    case TransferForm::Logical: return Word(v.number == 1 ? 1 : 0);
    case TransferForm::Text: return Pointer(NewTextBlock(v.text));
    case TransferForm::Bytes: return Pointer(NewBytesBlock(v.bytes));
    case TransferForm::Pointer: return Pointer(NewBytesBlock(PointerDataToGame(v.bytes)));
    case TransferForm::Font:
      if (arrayIndex == kFontWhole) return Pointer(NewFontTransferRecord(v.bytes));
      if (arrayIndex == kFontFace) return Pointer(NewTextBlock(FontFaceOf(v.bytes)));
      if (arrayIndex < kFontAngle || arrayIndex > kFontFace) RaiseRuntimeError(kSubscriptOutOfRange);
      return Word(uint32_t(FontComponentOf(v.bytes, arrayIndex)));
  }
  return Word(0);
}

UnitValue FromTransfer(const OwnAccess& own, UnitWindow& unit, int32_t index, int32_t arrayIndex, uint32_t low,
                       uint32_t high) {
  switch (TransferFormOf(own.kind)) {
    case TransferForm::Word: return UnitValue::OfWord(int32_t(low));
    case TransferForm::TwoWords: return UnitValue::OfWord(int64_t(uint64_t(high) << 32 | low));
    case TransferForm::Logical: return UnitValue::OfWord(low != 0 ? 1 : 0);
    case TransferForm::Text: return UnitValue::OfText(TextOfBlock(PointerOfWords(low, high)));
    case TransferForm::Bytes: return UnitValue::OfBytes(BytesOfBlock(PointerOfWords(low, high)));
    case TransferForm::Pointer:
      return UnitValue::OfBytes(PointerDataToUnit(BytesOfBlock(PointerOfWords(low, high))));
    case TransferForm::Colour: return UnitValue::OfWord(low & kColourMask);
    case TransferForm::ColourOrDefault: return UnitValue::OfWord(low == kDefaultColour ? low : low & kColourMask);
    case TransferForm::Font: {
      if (arrayIndex == kFontWhole) return UnitValue::OfBytes(FontFromTransferRecord(PointerOfWords(low, high)));
      if (arrayIndex < kFontAngle || arrayIndex > kFontFace) RaiseRuntimeError(kSubscriptOutOfRange);
      std::vector<uint8_t> font = NormalizedFont(CurrentValue(own, unit, index).bytes);
      if (arrayIndex == kFontFace) {
        SetFontFace(font, TextOfBlock(PointerOfWords(low, high)));
      } else {
        SetFontComponent(font, arrayIndex, int32_t(low));
      }
      return UnitValue::OfBytes(std::move(font));
    }
  }
  return UnitValue{};
}

PropertyValue ReadOwn(const UnitRecord& record, int32_t index, int32_t arrayIndex) {
  OwnAccess own = OwnPropertyOf(record, index);
  return ToTransfer(own.kind, CurrentValue(own, *record.window, index), arrayIndex);
}

void WriteOwn(const UnitPlace& place, int32_t index, int32_t arrayIndex, uint32_t low, uint32_t high) {
  UnitRecord& record = *place.record;
  OwnAccess own = OwnPropertyOf(record, index);
  UnitValue value = FromTransfer(own, *record.window, index, arrayIndex, low, high);
  auto set = OperationOf<SetPropertyOperation>(*own.type, kOpSetProperty);
  if (set == nullptr) return;
  uint32_t unitId = record.id;
  WindowInstance* instance = place.instance;
  // The change may run handlers (a window minimized, a geometry change) that remove the unit.
  if (set(*record.window, index - 8, value) != 1 || !IsLiveInstance(instance)) return;
  UnitRecord* again = FindRecord(*instance, unitId);
  if (again != nullptr && HasLiveWindow(*again)) RecreateUnit(*instance, unitId);
}

void WriteVisible(UnitRecord& record, bool visible) {
  SetFlag(record, kFlagVisible, visible);
  if (!HasLiveWindow(record)) return;
  Native().Show(record.window->Handle(), visible && !NeverShown(record));
}

void WritePointer(UnitRecord& record, const void* block) {
  std::vector<uint8_t> data = PointerDataToUnit(BytesOfBlock(block));
  record.cursorData = data;
  record.cursor = CursorOfPointerData(data);
  if (HasLiveWindow(record)) Native().SetPointer(record.window->Handle(), PointerShapeOfCursor(record.cursor));
}

}  // namespace

// --- blocks ---

void* NewTextBlock(const std::string& text) {
  if (text.empty()) return nullptr;
  auto* block = static_cast<char*>(AllocBlock(int32_t(text.size() + 1)));
  std::memcpy(block, text.c_str(), text.size() + 1);
  return block;
}

void* NewBytesBlock(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return nullptr;
  auto* block = static_cast<uint8_t*>(AllocBlock(int32_t(8 + bytes.size())));
  int32_t head[2] = {1, int32_t(bytes.size())};
  std::memcpy(block, head, sizeof head);
  std::memcpy(block + 8, bytes.data(), bytes.size());
  return block;
}

std::string TextOfBlock(const void* block) { return block != nullptr ? std::string(static_cast<const char*>(block)) : ""; }

std::vector<uint8_t> BytesOfBlock(const void* block) {
  if (block == nullptr) return {};
  int32_t length;
  std::memcpy(&length, static_cast<const uint8_t*>(block) + 4, sizeof length);
  if (length <= 0) return {};
  const uint8_t* data = static_cast<const uint8_t*>(block) + 8;
  return std::vector<uint8_t>(data, data + length);
}

// --- finding units and geometry ---

UnitPlace FindUnitOrFail(uint32_t windowId, uint32_t unitId) {
  WindowInstance* instance = FindLoadedWindow(windowId);
  if (instance == nullptr || instance->records.empty()) {
    ReportRuntimeError("未载入欲访问窗口组件所在的窗口", 0);
  }
  if (unitId == 0) return {instance, &instance->records[0], 0};
  size_t i = FindRecordIndex(*instance, unitId);
  if (i == kNoRecord) ReportRuntimeError("欲访问的窗口组件不存在", 0);
  return {instance, &instance->records[i], i};
}

UnitWindow* FindUnitWindow(uint32_t windowId, uint32_t unitId) {
  WindowInstance* instance = FindLoadedWindow(windowId);
  UnitRecord* record = instance != nullptr ? FindRecord(*instance, unitId) : nullptr;
  return record != nullptr ? record->window : nullptr;
}

bool HasLiveWindow(const UnitRecord& record) {
  return record.window != nullptr && Native().IsWindow(record.window->Handle());
}

platform::Rect UnitRect(const UnitRecord& record) {
  if (HasLiveWindow(record)) return Native().Geometry(record.window->Handle());
  return {record.left, record.top, record.width, record.height};
}

void SetUnitRect(UnitRecord& record, platform::Rect rect) {
  record.left = std::clamp(rect.left, -kMaxCoordinate, kMaxCoordinate);
  record.top = std::clamp(rect.top, -kMaxCoordinate, kMaxCoordinate);
  record.width = std::clamp(rect.width, 0, kMaxCoordinate);
  record.height = std::clamp(rect.height, 0, kMaxCoordinate);
  if (HasLiveWindow(record)) {
    Native().SetGeometry(record.window->Handle(), {record.left, record.top, record.width, record.height});
  }
}

// --- the services ---

// The program is ending: its window was closed and the quit message waits for the loop. A handler
// that was waiting for an answer then finishes against units that are gone; its reads give nothing
// and its writes go nowhere instead of ending the program with an error.
static bool ClosedAsProgramEnds(uint32_t windowId) { return WindowWasClosed(windowId) && Native().QuitPending(); }

PropertyValue ReadUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex) {
  if (ClosedAsProgramEnds(windowId)) return {0, 0};
  UnitPlace place = FindUnitOrFail(windowId, unitId);
  const UnitRecord& record = *place.record;
  if (record.IsMenuItem()) return ReadMenuItem(record, index);
  if (index >= 8) return ReadOwn(record, index, arrayIndex);
  switch (index) {
    case kLeft: return Word(uint32_t(UnitRect(record).left));
    case kTop: return Word(uint32_t(UnitRect(record).top));
    case kWidth: return Word(uint32_t(UnitRect(record).width));
    case kHeight: return Word(uint32_t(UnitRect(record).height));
    case kTag: return Pointer(NewTextBlock(record.tag));
    case kVisible:
      if (HasLiveWindow(record)) return Word(Native().IsVisible(record.window->Handle()));
      return Word((record.flags & kFlagVisible) != 0);
    case kDisabled:
      if (HasLiveWindow(record)) return Word(!Native().IsEnabled(record.window->Handle()));
      return Word((record.flags & kFlagDisabled) != 0);
    case kPointer: return Pointer(NewBytesBlock(PointerDataToGame(record.cursorData)));
    default: RaiseRuntimeError(kSubscriptOutOfRange);
  }
}

void WriteUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex, uint32_t low,
                       uint32_t high) {
  if (ClosedAsProgramEnds(windowId)) return;
  UnitPlace place = FindUnitOrFail(windowId, unitId);
  UnitRecord& record = *place.record;
  if (record.IsMenuItem()) return WriteMenuItem(record, index, low, high);
  if (index >= 8) return WriteOwn(place, index, arrayIndex, low, high);
  if (index >= kLeft && index <= kHeight) {
    // Geometry starts from the live rectangle, so only the one edge or size changes.
    platform::Rect rect = UnitRect(record);
    int32_t value = int32_t(low);
    switch (index) {
      case kLeft: rect.left = value; break;
      case kTop: rect.top = value; break;
      case kWidth: rect.width = value; break;
      default: rect.height = value; break;
    }
    return SetUnitRect(record, rect);
  }
  switch (index) {
    case kTag: record.tag = TextOfBlock(PointerOfWords(low, high)); return;
    case kVisible: return WriteVisible(record, low != 0);
    case kDisabled:
      SetFlag(record, kFlagDisabled, low != 0);
      if (HasLiveWindow(record)) Native().Enable(record.window->Handle(), low == 0);
      return;
    case kPointer: return WritePointer(record, PointerOfWords(low, high));
    default: RaiseRuntimeError(kSubscriptOutOfRange);
  }
}

}  // namespace vorenn
