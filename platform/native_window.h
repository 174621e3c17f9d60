// Native windows as the engine sees them: a handle, a role, geometry, flags, text and an event sink.
// Both backends (headless records, Qt widgets) deliver the same events in the same shape, so the
// units above never know which one is running.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vorenn::platform {

// 0 is never a window. Handles are not reused while the process lives, so a stale handle simply
// stops naming a window.
using WindowHandle = uint32_t;
constexpr WindowHandle kNoWindow = 0;

enum class WindowRole : uint8_t {
  TopLevel,   // a program window with a frame and a caption
  Engine,     // the engine's hidden message window: never shown, no size
  Panel,      // plain child container (draw panel, group-less container)
  GroupBox,   // child container with a framed caption
  Label,
  Button,
  EditBox,
  VScrollBar,
  ListView,
};

// Role-dependent style bits.
enum WindowStyle : uint32_t {
  kStyleNone = 0,
  kStylePassword = 1u << 0,   // EditBox: shows masks instead of characters
  kStyleMultiLine = 1u << 1,  // EditBox
  kStyleReadOnly = 1u << 2,   // EditBox
  kStyleTabStop = 1u << 3,
  kStyleBorder = 1u << 4,
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Space a top-level window's frame (caption and borders) takes around its client area. Units are
// laid out in the client area; a window's own geometry is that of its frame.
struct FrameMargins {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const FrameMargins&, const FrameMargins&) = default;
};
// The frame a backend reports for a top-level window when the system gives none (headless, or
// offscreen and hidden): 4-pixel borders and a 23-pixel caption, so every backend lays units out
// in the same client area.
constexpr FrameMargins kStandardFrame{4, 27, 4, 4};

// How a top-level window is shown.
enum class ShowState : uint8_t { Normal, Minimized, Maximized };

// Standard mouse pointers a unit can ask for; Default lets the window class decide.
enum class PointerShape : uint8_t {
  Default, Arrow, Cross, IBeam, SizeAll, SizeNESW, SizeNS, SizeNWSE, SizeWE, UpArrow, Wait, No,
  AppStarting, Help, Hand,
};

// Colour values are 0x00BBGGRR; kDefaultColour leaves the colour to the backend.
constexpr uint32_t kDefaultColour = 0xFF000000u;

// How a unit's native window draws itself. Backends that draw nothing themselves (headless) only
// keep it; fields that do not apply to a role are ignored.
struct Appearance {
  int hAlign = 0;            // 0 left, 1 centre, 2 right
  int vAlign = 0;            // 0 top, 1 centre, 2 bottom; unused with wordWrap
  bool wordWrap = false;
  bool embossed = false;     // the text drawn once in white, offset, below the text itself
  bool literalPrefix = true; // '&' is shown as it is, never as an underline marker
  uint32_t textColour = kDefaultColour;
  uint32_t backgroundColour = kDefaultColour;
  int border = 0;            // 0 none, 1 sunken, 2 raised frame, 3 shallow sunken, 4 sunken framed, 5 line
  std::string font;          // a 60-byte logical-font record (LOGFONT layout, GBK face); empty: default
  char passwordChar = '*';   // EditBox with kStylePassword
  bool controlBox = true;    // top-level windows: system menu, minimize and maximize buttons
  bool minimizeButton = true;
  bool maximizeButton = true;
  friend bool operator==(const Appearance&, const Appearance&) = default;
};

// A scroll bar's range, page and thumb position.
struct ScrollBarState {
  int minimum = 0, maximum = 100, page = 0, position = 0;
  friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

// What the user did to a scroll bar (EventKind::ScrollChanged). None: the position was set to
// `value` by other means.
enum class ScrollAction : uint8_t {
  None, LineUp, LineDown, PageUp, PageDown, ThumbReleased, ThumbTracked, ToTop, ToBottom, EndScroll,
};

struct WindowSpec {
  WindowRole role = WindowRole::TopLevel;
  WindowHandle parent = kNoWindow;  // top-level windows: the owner, or none
  Rect geometry;                    // in the parent's client coordinates
  std::string text;                 // GBK
  uint32_t style = kStyleNone;
  bool visible = false;
  bool enabled = true;
};

enum class EventKind : uint8_t {
  MouseDown, MouseUp, DoubleClick, MouseMove, Wheel,  // input: mouse
  KeyDown, KeyUp, Char,                               // input: keyboard
  FocusIn, FocusOut,
  Clicked,         // a button was pressed and released over itself, or activated by key
  TextChanged,     // the user changed an edit box's text
  ScrollChanged,   // the user moved a scroll bar (value in `value`)
  Moved, Resized,
  CloseRequested,  // the user asked to close a top-level window; swallow to keep it
  Destroyed,       // delivered to each window (children first) as it is destroyed
  Minimized, Restored,
  Timer,           // timerId
  Posted,          // message, wParam, lParam from Post or Send
  TrayIcon,        // trayAction: 1 left click, 2 left double click, 3 right click
};

enum class MouseButton : uint8_t { None, Left, Right, Middle };

// Key-state word: Ctrl 1, Shift 2, Alt 4.
enum KeyState : int { kKeyCtrl = 1, kKeyShift = 2, kKeyAlt = 4 };

// Key codes are the Windows virtual-key numbers the game logic knows (Tab 9, Enter 13, ...).
struct WindowEvent {
  EventKind kind = EventKind::Posted;
  WindowHandle window = kNoWindow;
  MouseButton button = MouseButton::None;
  int x = 0, y = 0;  // client coordinates of `window`
  int keyState = 0;
  int key = 0;            // KeyDown/KeyUp: key code; Char: character code (GBK byte or double byte)
  int wheelNotches = 0;   // positive away from the user
  int timerId = 0;
  int value = 0;          // ScrollChanged: the thumb position for ThumbReleased / ThumbTracked
  ScrollAction scrollAction = ScrollAction::None;  // ScrollChanged
  int trayAction = 0;
  uint32_t message = 0;   // Posted
  uintptr_t wParam = 0, lParam = 0;
};

constexpr bool IsInputEvent(EventKind k) {
  return k == EventKind::MouseDown || k == EventKind::MouseUp || k == EventKind::DoubleClick ||
         k == EventKind::MouseMove || k == EventKind::Wheel || k == EventKind::KeyDown ||
         k == EventKind::KeyUp || k == EventKind::Char;
}

// What a sink answers: let the event through, swallow it (the window's own handling does not see
// it), or for Char replace the character.
struct EventAnswer {
  bool swallow = false;
  int replacementChar = -1;
};

// Called on the UI thread. A sink may create, change and destroy windows, including its own.
using EventSink = std::function<EventAnswer(const WindowEvent&)>;

// Runs before any input event reaches its window's sink (tab navigation lives here).
using PreTranslateHook = std::function<EventAnswer(const WindowEvent&)>;

// How every backend hands over an event it raises: an input event goes to the hook first, which may
// swallow it; then the sink that `findSink` gives (null: the window has none, or is gone) gets it.
// The sink is looked up after the hook, which may close the window, and both run from copies: a
// hook may replace itself and a sink may destroy its own window.
template <typename FindSink>
EventAnswer DeliverEvent(const WindowEvent& event, const PreTranslateHook& hook, FindSink findSink) {
  if (IsInputEvent(event.kind) && hook) {
    EventAnswer a = PreTranslateHook(hook)(event);
    if (a.swallow) return a;
  }
  const EventSink* found = findSink();
  if (found == nullptr || !*found) return {};
  EventSink sink = *found;
  return sink(event);
}

}  // namespace vorenn::platform
