#include "engine/runtime/loader_host.h"

#include "engine/core/event_suppression.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/message_loop.h"
#include "engine/templates/window_loader.h"
#include "engine/templates/window_template_units.h"
#include "platform/backend.h"

namespace vorenn {
namespace {

const WindowInstance* g_currentModal = nullptr;

bool ModalWindowStillCurrent(void* context) {
  auto* instance = static_cast<const WindowInstance*>(context);
  if (g_currentModal != instance || !IsLiveInstance(instance)) return false;
  const UnitWindow* window = instance->records.empty() ? nullptr : instance->records[0].window;
  return window != nullptr && platform::Native().IsWindow(window->Handle());
}

class FrameLoaderHost final : public LoaderHost {
 public:
  void BeginLoad() override { SuppressEvents(); }
  void EndLoad() override { ResumeEvents(); }
  bool IsWindow(platform::WindowHandle handle) override { return platform::Native().IsWindow(handle); }
  void RaiseEvent(uint32_t windowId, uint32_t unitId, int32_t event) override {
    RaiseBoundEvent(windowId, unitId, event);
  }
  platform::WindowHandle Focus() override { return platform::Native().Focus(); }
  void SetFocus(platform::WindowHandle handle) override { platform::Native().SetFocus(handle); }
  // Custom cursors are the unit contract's, whose host wraps this one; here a unit keeps the
  // default pointer.
  uintptr_t CreateCursor(std::span<const uint8_t>) override { return 0; }
  void DestroyCursor(uintptr_t) override {}
  void RunModalLoop(WindowInstance& instance) override {
    const WindowInstance* previous = g_currentModal;
    g_currentModal = &instance;
    int code = 0;
    if (ModalWindowStillCurrent(&instance)) RunLoop(ModalWindowStillCurrent, &instance, &code);
    g_currentModal = previous;
  }
};

FrameLoaderHost g_host;

}  // namespace

void InstallFrameLoaderHost() { SetLoaderHost(&g_host); }

const WindowInstance* CurrentModalWindow() { return g_currentModal; }

bool RaiseBoundEvent(uint32_t windowId, uint32_t unitId, int32_t event) {
  if (EventsSuppressed()) return false;
  WindowInstance* instance = FindLoadedWindow(windowId);
  if (instance == nullptr) return false;
  EventHandler handler = FindEventHandler(*instance, unitId, event);
  if (handler == nullptr) return false;
  handler(nullptr, 0);
  return true;
}

}  // namespace vorenn
