// The scripted driver: runs the lines of a script against the loaded program, one at a time, as a
// user would act on the window, and reports what it reads back.
//
// One command a line; blank lines and lines whose first non-blank character is '#' are skipped.
// Commands without a free text at the end also take a trailing comment (" # ..."). Unit names are
// template names; wherever a command names a unit, `NAME tag=T` names the run-time copy of NAME (or
// NAME itself) whose tag is T. Texts are UTF-8 in the script and GBK in the program. Input reaches
// only units that show (with every window they sit in).
//
//   set NAME TEXT            types TEXT into an edit box (its content becomes TEXT)
//   click NAME               clicks a button
//   key NAME KEY             KEY is Tab, Enter, Esc, Space, Backspace or one character
//   wheel NAME N             turns the wheel N notches (positive: away from the user) with the
//                            pointer over the unit; the turn reaches the focused unit, as on the
//                            desktop
//   answer N                 0 OK, 1 Cancel, 2 Abort, 3 Retry, 4 Ignore, 5 Yes, 6 No: the answer of
//                            the next message box (unanswered boxes take their first button)
//   advance MS               lets MS milliseconds pass, firing the timers that fall due
//   pause MS                 lets MS milliseconds of real time pass (for a server's clock); the
//                            program's clock moves with it only where it is the real one
//   settle                   dispatches until nothing waits and no web request is outstanding
//   minimize                 minimises the window
//   tray N                   uses the notification-area icon (1 click, 2 double click, 3 right)
//   prop NAME INDEX [VALUE]  writes the property when VALUE is given, then prints
//                            "PROP NAME INDEX VALUE"
//   expect NAME PROP VALUE   compares a property (an index or a name: left, top, width, height,
//                            tag, visible, disabled, caption, content, title, position, minimum,
//                            maximum, interval); a mismatch is a failure
//   dump                     one JSON line per unit, then one for the notification-area icon
//   echo TEXT                prints TEXT
//   shot FILE                saves a PNG picture of the window (where the backend draws)
//
// Every message box prints "MSGBOX style=S caption=C text=T" when shown, line breaks written as
// \r and \n. Failures (mismatches and faulty lines) are printed on the error sink as they happen
// and kept; the line is still counted as run.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/driver/driver_host.h"

namespace vorenn::driver {

using LineSink = std::function<void(std::string_view line)>;

class ScriptDriver {
 public:
  // The host must outlive the driver. Printed lines go to `out`, failures to `err`, each without
  // its line break.
  ScriptDriver(DriverHost& host, LineSink out, LineSink err);
  ~ScriptDriver();
  ScriptDriver(const ScriptDriver&) = delete;
  ScriptDriver& operator=(const ScriptDriver&) = delete;

  // Runs one line. False when the line failed (a mismatch or a faulty line).
  bool Run(std::string_view line);
  // Hands over the message boxes shown since the last line (those of the window's loading, before
  // the first one).
  void FlushBoxes();

  // Every failure so far, as printed.
  const std::vector<std::string>& Failures() const { return failures_; }
  int LinesRun() const { return lineNumber_; }

 private:
  class Commands;
  void Fail(const std::string& message);
  void PrintBox(const ShownBox& box);

  DriverHost& host_;
  LineSink out_;
  LineSink err_;
  std::vector<std::string> failures_;
  int lineNumber_ = 0;
};

// The line a box prints: "MSGBOX style=S caption=C text=T", texts in UTF-8, CR and LF written as
// \r and \n. The style leaves out the task-modal bit (0x2000) that every box of the program gets.
std::string MessageBoxLine(const ShownBox& box);

}  // namespace vorenn::driver
