// Message boxes as a real-time host (Qt, Win32) sees them appear. They are kept and handed over
// between lines, as the headless backend's record is, so that a line's own output comes before the
// boxes it showed on every backend.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "tools/driver/driver_host.h"

namespace vorenn::driver {

// The runtime-error report's box: no owner, caption "错误", error icon, one OK button.
ShownBox RuntimeErrorBox(const std::string& gbkText);

class LateBoxes {
 public:
  void SetSink(std::function<void(const ShownBox&)> sink) { sink_ = std::move(sink); }
  // A box that came on screen.
  void Appeared(ShownBox box);
  void Flush();
  // The process ends right after the runtime-error box: it is handed over now, and not again
  // when it appears.
  void RuntimeErrorComing(const std::string& gbkText);

 private:
  std::function<void(const ShownBox&)> sink_;
  std::deque<ShownBox> shown_;  // not yet handed over
  int alreadyHandedOver_ = 0;
};

}  // namespace vorenn::driver
