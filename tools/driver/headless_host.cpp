#include "tools/driver/headless_host.h"

#include <algorithm>

#include "platform/thread_handles.h"
#include "tools/driver/late_boxes.h"

namespace vorenn::driver {

HeadlessHost::HeadlessHost(platform::HeadlessBackend& backend) : backend_(backend) {
  backend_.EchoMessageBoxes(false);
  boxesHandedOver_ = backend_.MessageBoxes().size();
}

HeadlessHost::~HeadlessHost() { backend_.SetIdleDriver(nullptr); }

void HeadlessHost::Click(platform::WindowHandle w) { backend_.Click(w); }

void HeadlessHost::Key(platform::WindowHandle w, const KeyStroke& key) {
  backend_.SetFocus(w);
  platform::WindowEvent e;
  e.window = w;
  e.key = key.keyCode;
  if (key.keyCode != 0) {
    e.kind = platform::EventKind::KeyDown;
    backend_.PostEvent(e);
  }
  if (key.character != 0) backend_.TypeChar(w, key.character);
  if (key.keyCode != 0) {
    e.kind = platform::EventKind::KeyUp;
    backend_.PostEvent(e);
  }
}

void HeadlessHost::Wheel(platform::WindowHandle w, int notches) { backend_.Wheel(w, notches); }

void HeadlessHost::Pump() { backend_.DispatchPending(); }

void HeadlessHost::QueueAnswer(int answer) { backend_.QueueMessageBoxAnswer(answer); }

void HeadlessHost::Advance(uint32_t ms) {
  for (uint32_t i = 0; i < ms && !QuitPending(); ++i) backend_.AdvanceClock(1);
  QuitPending();
}

void HeadlessHost::DriveFromLoop(std::function<bool()> step) { backend_.SetIdleDriver(std::move(step)); }

bool HeadlessHost::Settle(uint32_t limitMs) {
  const platform::Deadline deadline = platform::DeadlineAfterMs(limitMs);
  for (;;) {
    Pump();
    if (QuitPending()) return true;
    // A web request holds its worker's thread handle from start to answer.
    if (!backend_.MessageWaiting() && platform::OpenThreadHandleCount() == 0) return true;
    if (platform::SteadyNowMs() >= deadline) return false;
    backend_.WaitForInputOrWake(std::min(deadline, platform::DeadlineAfterMs(1)), /*wantInput=*/true);
  }
}

bool HeadlessHost::QuitPending() {
  // Dispatching takes everything but a quit message, so what still waits afterwards is one.
  backend_.DispatchPending();
  return backend_.MessageWaiting();
}

void HeadlessHost::FlushBoxes() {
  std::vector<platform::RecordedMessageBox> boxes = backend_.MessageBoxes();
  for (; boxesHandedOver_ < boxes.size(); ++boxesHandedOver_) {
    const platform::RecordedMessageBox& box = boxes[boxesHandedOver_];
    if (sink_) sink_(ShownBox{box.style, box.caption, box.text});
  }
}

void HeadlessHost::RuntimeErrorBoxComing(const std::string& gbkText) {
  FlushBoxes();
  if (sink_) sink_(RuntimeErrorBox(gbkText));
}

std::optional<std::string> HeadlessHost::TrayTip(platform::WindowHandle w) {
  std::optional<platform::TrayIconRecord> tray = backend_.TrayIcon(w);
  if (!tray) return std::nullopt;
  return tray->tip;
}

DriverHost::ShotResult HeadlessHost::Shot(platform::WindowHandle, const std::string&, std::string* note) {
  *note = "the headless backend draws nothing; no picture saved";
  return ShotResult::kNotDrawn;
}

}  // namespace vorenn::driver
