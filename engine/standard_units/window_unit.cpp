#include "engine/standard_units/window_unit.h"

#include <algorithm>

#include "engine/templates/library_callback.h"
#include "engine/templates/window_template.h"
#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

using platform::EventAnswer;
using platform::EventKind;
using platform::Native;
using platform::ShowState;

constexpr DataField kFields[] = {
    {9, FieldForm::Word},      {12, FieldForm::Word},     {10, FieldForm::Word},
    {16, FieldForm::Word},     {17, FieldForm::Word},     {15, FieldForm::Word},
    {18, FieldForm::Word},     {19, FieldForm::Word},     {14, FieldForm::Word},
    {21, FieldForm::Word},     {22, FieldForm::Word},     {23, FieldForm::Word},
    {25, FieldForm::Word},     {26, FieldForm::Word, 2},  {27, FieldForm::Word, 3},
    {28, FieldForm::Word, 3},  {29, FieldForm::Word, 4},  {30, FieldForm::Word, 5},
    {31, FieldForm::Text, 6},  {11, FieldForm::Buffer},   {13, FieldForm::Buffer},
    {20, FieldForm::Buffer},   {8, FieldForm::Text},      {24, FieldForm::Text},
};
constexpr UnitLayout kLayout{6, kFields};

constexpr uint16_t kOwnKinds[] = {
    kKindText,    kKindPick,    kKindColourOrDefault, kKindBytes,   kKindPick,    // 8-12
    kKindBytes,   kKindPick,    kKindLogical,         kKindLogical, kKindLogical, // 13-17
    kKindPick,    kKindLogical, kKindBytes,           kKindLogical, kKindLogical, // 18-22
    kKindLogical, kKindText,    kKindInteger,         kKindPick,    kKindPick,    // 23-27
    kKindPick,    kKindPick,    kKindPick,            kKindText,                  // 28-31
};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x800000D0;

constexpr int kPositionNormal = 0, kPositionCentred = 1, kPositionMinimized = 2, kPositionMaximized = 3;

}  // namespace

const TypeDescriptor& WindowUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "window", kState, kProperties, kEvents, &StandardUnitInterface<WindowUnit>);
  return type;
}

WindowUnit::WindowUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kWindowBorder, 2);
  properties_.SetWord(kWindowBackground, platform::kDefaultColour);
  properties_.SetWord(kWindowControlBox, 1);
  properties_.SetWord(kWindowMaximizeButton, 1);
  properties_.SetWord(kWindowMinimizeButton, 1);
}

bool WindowUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::TopLevel;
  return Create(args, params);
}

static platform::Rect CentredOnScreen(platform::Rect r) {
  platform::Rect screen = Native().ScreenArea();
  return {screen.left + (screen.width - r.width) / 2, screen.top + (screen.height - r.height) / 2, r.width, r.height};
}

// A centred window is made centred, so that showing it moves nothing.
void WindowUnit::Prepare(platform::WindowSpec& params) {
  params.text = properties_.Text(kWindowTitle);
  properties_.SetWord(kWindowPosition, std::clamp(properties_.Word(kWindowPosition), 0, 3));
  if (properties_.Word(kWindowPosition) == kPositionCentred) params.geometry = CentredOnScreen(params.geometry);
  UpdateAppearance();
}

void WindowUnit::UpdateAppearance() {
  appearance_.border = properties_.Word(kWindowBorder);
  appearance_.backgroundColour = uint32_t(properties_.Word(kWindowBackground));
  appearance_.controlBox = properties_.Word(kWindowControlBox) == 1;
  appearance_.minimizeButton = properties_.Word(kWindowMinimizeButton) == 1;
  appearance_.maximizeButton = properties_.Word(kWindowMaximizeButton) == 1;
  ApplyAppearance();
}

void WindowUnit::ShowWindow() {
  Native().Show(Handle(), true);
  ApplyPosition(properties_.Word(kWindowPosition));
}

bool WindowUnit::IsMinimized() const { return Native().ShowStateOf(Handle()) == ShowState::Minimized; }

void WindowUnit::Restore() { Native().SetShowState(Handle(), ShowState::Normal); }

void WindowUnit::Activate() {
  Native().PlaceBelow(Handle(), platform::kNoWindow);
  Native().SetFocus(Handle());
}

// Applied only while the window is visible; a hidden window only keeps the value.
void WindowUnit::ApplyPosition(int position) {
  if (!Native().IsVisible(Handle())) return;
  switch (position) {
    case kPositionNormal:
      Native().SetShowState(Handle(), ShowState::Normal);
      break;
    case kPositionCentred: {
      Native().SetShowState(Handle(), ShowState::Normal);
      platform::Rect r = Native().Geometry(Handle());
      if (CentredOnScreen(r) != r) Native().SetGeometry(Handle(), CentredOnScreen(r));
      break;
    }
    case kPositionMinimized:
      Native().SetShowState(Handle(), ShowState::Minimized);
      break;
    case kPositionMaximized:
      Native().SetShowState(Handle(), ShowState::Maximized);
      break;
    default:
      break;
  }
}

bool WindowUnit::SetOwnProperty(int index, const UnitValue& value) {
  switch (index) {
    case kWindowPosition: {
      int position = std::clamp(value.Word(), kPositionNormal, kPositionMaximized);
      properties_.SetWord(index, position);
      ApplyPosition(position);
      return false;
    }
    case kWindowTitle:
      properties_.Set(index, value);
      Native().SetText(Handle(), value.text);
      return false;
    default:
      properties_.Set(index, value);
      UpdateAppearance();
      return false;
  }
}

bool WindowUnit::GetOwnProperty(int index, UnitValue* value) {
  if (index == kWindowTitle) {
    *value = UnitValue::OfText(Native().Text(Handle()));
    return true;
  }
  if (index == kWindowPosition) {
    ShowState state = Native().ShowStateOf(Handle());
    int position = state == ShowState::Minimized   ? kPositionMinimized
                   : state == ShowState::Maximized ? kPositionMaximized
                                                   : kPositionNormal;
    *value = UnitValue::OfWord(position);
    return true;
  }
  return Unit::GetOwnProperty(index, value);
}

void WindowUnit::EnableDisabledWindows() {
  WindowInstance* instance = FindRecordByHandle(Handle()).instance;
  if (instance == nullptr) return;
  std::vector<WindowInstance*> disabled = std::move(instance->disabledWindows);
  instance->disabledWindows.clear();
  for (WindowInstance* other : disabled) {
    if (IsLiveInstance(other) && other->records[0].window != nullptr) other->records[0].window->SetEnabled(true);
  }
}

void WindowUnit::CloseNow() {
  EnableDisabledWindows();
  Native().DestroyNativeWindow(Handle());
}

EventAnswer WindowUnit::OnEvent(const platform::WindowEvent& e) {
  switch (e.kind) {
    case EventKind::CloseRequested: {
      std::optional<uint32_t> answer = Raise(kWindowCloseAsked);
      if (answer && *answer == 0) return {true, -1};
      EnableDisabledWindows();
      return {};
    }
    case EventKind::Destroyed: {
      platform::WindowHandle handle = Handle();
      Raise(kWindowDestroyed);
      // The instance, this object with it, goes away here.
      EngineLibraryCallback(kCallbackWindowDestroyed, intptr_t(handle), 0);
      return {};
    }
    case EventKind::Moved:
    case EventKind::Minimized:
    case EventKind::Restored:
      Raise(kWindowMoved);
      return {};
    case EventKind::Resized:
      Raise(kWindowResized);
      return {};
    case EventKind::TrayIcon:
      Raise(kWindowTrayIconUsed, {e.trayAction});
      return {};
    case EventKind::Posted:
      if (e.message == kMessageCloseWindow) CloseNow();
      return {};
    default:
      return {};
  }
}

}  // namespace vorenn
