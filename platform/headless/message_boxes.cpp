// Headless message boxes (answered from a queue, recorded, echoed) and notification-area icons.
#include <cstdio>

#include "platform/gbk_text.h"
#include "platform/headless/headless_backend.h"

namespace vorenn::platform {

int HeadlessBackend::MessageBox(WindowHandle owner, std::string_view gbkText,
                                std::string_view gbkCaption, uint32_t style) {
  int answer = FirstButtonAnswer(style);
  {
    std::lock_guard lock(queueMutex_);
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    boxes_.push_back({owner, std::string(gbkText), std::string(gbkCaption), style, answer});
  }
  if (echoBoxes_) {
    std::string line = "[" + GbkToUtf8(gbkCaption) + "] " + GbkToUtf8(gbkText) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }
  return answer;
}

void HeadlessBackend::QueueMessageBoxAnswer(int answer) {
  std::lock_guard lock(queueMutex_);
  answers_.push_back(answer);
}

std::vector<RecordedMessageBox> HeadlessBackend::MessageBoxes() const {
  std::lock_guard lock(queueMutex_);
  return boxes_;
}

void HeadlessBackend::ClearMessageBoxes() {
  std::lock_guard lock(queueMutex_);
  boxes_.clear();
}

void HeadlessBackend::SetTrayIcon(WindowHandle w, std::span<const uint8_t> icon,
                                  std::string_view gbkTip) {
  if (IsWindow(w)) trays_[w] = TrayIconRecord{icon.size(), std::string(gbkTip)};
}

void HeadlessBackend::RemoveTrayIcon(WindowHandle w) { trays_.erase(w); }

std::optional<TrayIconRecord> HeadlessBackend::TrayIcon(WindowHandle w) const {
  auto it = trays_.find(w);
  if (it == trays_.end()) return std::nullopt;
  return it->second;
}

HeadlessBackend* Headless() {
  return HasBackend() ? dynamic_cast<HeadlessBackend*>(&Native()) : nullptr;
}

HeadlessBackend& InstallHeadlessBackend() {
  auto backend = std::make_unique<HeadlessBackend>();
  HeadlessBackend& ref = *backend;
  InstallBackend(std::move(backend));
  return ref;
}

}  // namespace vorenn::platform
