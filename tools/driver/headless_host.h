// The driver on the headless backend: input goes into the in-memory queue, time is the virtual
// clock, message boxes are answered from the backend's queue and handed over from its record.
#pragma once

#include "platform/headless/headless_backend.h"
#include "tools/driver/driver_host.h"

namespace vorenn::driver {

class HeadlessHost final : public DriverHost {
 public:
  // Turns off the backend's own echo of message boxes: the driver prints them.
  explicit HeadlessHost(platform::HeadlessBackend& backend);
  ~HeadlessHost() override;
  const char* Name() const override { return "headless"; }

  void Click(platform::WindowHandle w) override;
  void Key(platform::WindowHandle w, const KeyStroke& key) override;
  void Wheel(platform::WindowHandle w, int notches) override;
  void TrayClick(platform::WindowHandle w, int action) override { backend_.TrayClick(w, action); }
  void Pump() override;
  void QueueAnswer(int answer) override;
  // Steps the virtual clock a millisecond at a time, dispatching after each step, so timers fire
  // at their due times in order and a quit message is left for the program's loop.
  void Advance(uint32_t ms) override;
  bool ClockIsReal() const override { return false; }
  bool Settle(uint32_t limitMs) override;
  bool QuitPending() override;
  // Steps run whenever a blocking dispatch of the program's loop finds nothing to do.
  void DriveFromLoop(std::function<bool()> step) override;
  void SetBoxSink(std::function<void(const ShownBox&)> sink) override { sink_ = std::move(sink); }
  void FlushBoxes() override;
  void RuntimeErrorBoxComing(const std::string& gbkText) override;
  std::optional<std::string> TrayTip(platform::WindowHandle w) override;
  ShotResult Shot(platform::WindowHandle w, const std::string& path, std::string* note) override;

 private:
  platform::HeadlessBackend& backend_;
  std::function<void(const ShownBox&)> sink_;
  size_t boxesHandedOver_ = 0;
};

}  // namespace vorenn::driver
