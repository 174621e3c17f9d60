// The `window` unit: a top-level window with a frame. Its geometry (properties 0-3) is the outer
// frame's; its units sit in the client area.
//
// Unit data (highest version 6), fields in order; [n] is the property index:
//   u32 [9] border, [12], [10] background colour, [16] maximize button, [17] minimize button,
//   [15] control box, [18] position, [19], [14], [21] Enter moves focus, [22] Esc closes, [23], [25];
//   version >= 2: u32 [26]; >= 3: u32 [27], [28]; >= 4: u32 [29]; >= 5: u32 [30];
//   version 6: text [31] class name; then buffers [11], [13], [20]; text [8] title; text [24].
//
// Events: 0 created, 1 close asked (answer logical false keeps the window), 2 destroyed, 3 moved
// (also when minimized), 4 resized, 9 notification-area icon used (1 click, 2 double click,
// 3 right click).
#pragma once

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& WindowUnitType();

enum WindowProperty : int {
  kWindowTitle = 8, kWindowBorder = 9, kWindowBackground = 10, kWindowControlBox = 15,
  kWindowMaximizeButton = 16, kWindowMinimizeButton = 17, kWindowPosition = 18,
  kWindowEnterMovesFocus = 21, kWindowEscCloses = 22, kWindowClassName = 31,
};

enum WindowUnitEvent : int32_t {
  kWindowCreated = 0, kWindowCloseAsked = 1, kWindowDestroyed = 2, kWindowMoved = 3,
  kWindowResized = 4, kWindowTrayIconUsed = 9,
};

// The engine's private message that closes a window (posted by DestroyUnit).
constexpr uint32_t kMessageCloseWindow = 0x8065;

class WindowUnit final : public Unit {
 public:
  explicit WindowUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);

  void ShowWindow() override;
  bool IsMinimized() const override;
  void Restore() override;
  void Activate() override;
  bool EnterMovesFocus() override { return OwnFlag(kWindowEnterMovesFocus); }
  bool EscapeCloses() override { return OwnFlag(kWindowEscCloses); }

  bool SetOwnProperty(int index, const UnitValue& value) override;
  bool GetOwnProperty(int index, UnitValue* value) override;

  // Closes the window without asking: the windows it disabled are enabled again, then it is
  // destroyed (event 2).
  void CloseNow();
  // The notification-area icon this window shows (DestroyUnit and SetTrayIcon keep it).
  bool ShowsTrayIcon() const { return trayIcon_; }
  void SetShowsTrayIcon(bool shown) { trayIcon_ = shown; }

 private:
  void Prepare(platform::WindowSpec& params) override;
  platform::EventAnswer OnEvent(const platform::WindowEvent& e) override;
  void UpdateAppearance();
  void ApplyPosition(int position);
  void EnableDisabledWindows();
  // A logical own property, true only for exactly 1.
  bool OwnFlag(int index) {
    UnitValue value;
    return GetOwnProperty(index, &value) && value.number == 1;
  }

  bool trayIcon_ = false;
};

}  // namespace vorenn
