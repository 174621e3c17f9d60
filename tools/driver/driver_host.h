// What the scripted driver needs from the backend it runs on, beyond the platform interface that
// every backend shares: input given the way that backend's user gives it, time, message-box answers
// and the record of the boxes shown, the notification-area icon and pictures of the window.
//
// Everything runs on the UI thread, between two dispatches of the program's message loop.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/native_window.h"

namespace vorenn::driver {

// A message box as the program showed it. Texts are GBK; the style is the one the platform was
// asked for.
struct ShownBox {
  uint32_t style = 0;
  std::string caption;
  std::string text;
};

// One key as typed: a key code (0: none) and the character it produces (0: none). Characters are
// GBK: one byte, or a double byte with the lead byte high.
struct KeyStroke {
  int keyCode = 0;
  int character = 0;
};

class DriverHost {
 public:
  virtual ~DriverHost() = default;
  virtual const char* Name() const = 0;

  // A left click (press and release) at the middle of a button.
  virtual void Click(platform::WindowHandle w) = 0;
  // Focuses w and types the key: key down, the character, key up.
  virtual void Key(platform::WindowHandle w, const KeyStroke& key) = 0;
  virtual void Wheel(platform::WindowHandle w, int notches) = 0;
  // Uses the window's notification-area icon (1 click, 2 double click, 3 right click) the way the
  // backend's user does; where the system tells the window, only an icon that is there can be used.
  virtual void TrayClick(platform::WindowHandle w, int action) = 0;
  // Dispatches what is waiting now; a quit message stays queued for the program's loop.
  virtual void Pump() = 0;

  // Queues the answer (platform numbering, MessageBoxAnswer) for the next message box.
  virtual void QueueAnswer(int answer) = 0;
  // Lets `ms` milliseconds pass, firing every timer that falls due, in order. Stops early when
  // the program has asked to quit.
  virtual void Advance(uint32_t ms) = 0;
  // True when the program's clock is the real one (Advance then lets real time pass); false for a
  // virtual clock that moves only through Advance.
  virtual bool ClockIsReal() const = 0;
  // Dispatches until nothing waits and no web request is outstanding. False when that did not
  // happen within limitMs of real time.
  virtual bool Settle(uint32_t limitMs) = 0;
  // Calls `step` at the top of the program's message loop whenever it has nothing to dispatch (never
  // from a wait nested inside a handler), until step answers false. Null stops the calls.
  virtual void DriveFromLoop(std::function<bool()> step) = 0;
  // True when the program has asked to quit and its loop has not taken the message yet.
  virtual bool QuitPending() = 0;

  // Every box shown is handed to the sink, in order. A backend that records boxes hands them over
  // on FlushBoxes; one that sees them appear hands them over at once.
  virtual void SetBoxSink(std::function<void(const ShownBox&)> sink) = 0;
  virtual void FlushBoxes() = 0;
  // Called by the runtime-error report just before its box is shown, with the box's text: the
  // process ends right after the box, so a host that hands boxes over late does it here.
  virtual void RuntimeErrorBoxComing(const std::string& gbkText) = 0;

  // The tip of the window's notification-area icon (GBK), or nothing when it has none.
  virtual std::optional<std::string> TrayTip(platform::WindowHandle w) = 0;
  // Saves a PNG picture of the window. kNotDrawn when the backend draws nothing; kFailed when the
  // file could not be written. *note (UTF-8) says why in both cases.
  enum class ShotResult { kSaved, kNotDrawn, kFailed };
  virtual ShotResult Shot(platform::WindowHandle w, const std::string& path, std::string* note) = 0;
};

}  // namespace vorenn::driver
