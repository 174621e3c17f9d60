#include "platform/backend.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/process.h"

namespace vorenn::platform {
namespace {
// Worker threads wake the backend from outside the UI thread, possibly while a test installs a new
// one or the process is exiting, so an installed backend is never destroyed: replaced ones stay in
// this list (reachable, so leak checkers stay quiet) for the life of the process.
std::atomic<Backend*> g_backend{nullptr};
std::vector<std::unique_ptr<Backend>>& InstalledBackends() {
  static auto* installed = new std::vector<std::unique_ptr<Backend>>;
  return *installed;
}
}  // namespace

int FirstButtonAnswer(uint32_t style) {
  switch (style & kBoxButtonsMask) {
    case kBoxOkCancel: return kAnswerOk;
    case kBoxAbortRetryIgnore: return kAnswerAbort;
    case kBoxYesNoCancel:
    case kBoxYesNo: return kAnswerYes;
    case kBoxRetryCancel: return kAnswerRetry;
    default: return kAnswerOk;
  }
}

Backend& Native() {
  Backend* b = g_backend.load(std::memory_order_acquire);
  assert(b != nullptr && "a platform backend is installed at start-up");
  return *b;
}

bool HasBackend() { return g_backend.load(std::memory_order_acquire) != nullptr; }

void InstallBackend(std::unique_ptr<Backend> backend) {
  Backend* b = backend.get();
  if (backend) InstalledBackends().push_back(std::move(backend));
  g_backend.store(b, std::memory_order_release);
  MarkUiThread();
}

void Backend::Post(WindowHandle w, uint32_t message, uintptr_t wParam, uintptr_t lParam) {
  WindowEvent e;
  e.kind = EventKind::Posted;
  e.window = w;
  e.message = message;
  e.wParam = wParam;
  e.lParam = lParam;
  PostEvent(e);
}

namespace {
std::chrono::steady_clock::duration SinceSteadyEpoch() {
  return std::chrono::steady_clock::now().time_since_epoch();
}
}  // namespace

int64_t SteadyNowMs() {
  return std::chrono::floor<std::chrono::milliseconds>(SinceSteadyEpoch()).count();
}

Deadline DeadlineAfterMs(uint32_t ms) {
  return std::chrono::ceil<std::chrono::milliseconds>(SinceSteadyEpoch()).count() + int64_t(ms);
}

bool Send(WindowHandle w, uint32_t message, uintptr_t wParam, uintptr_t lParam, uint32_t limitMs) {
  WindowEvent e;
  e.kind = EventKind::Posted;
  e.window = w;
  e.message = message;
  e.wParam = wParam;
  e.lParam = lParam;
  if (OnUiThread()) {
    Native().Deliver(e);
    return true;
  }
  // The completion lives on in the callback if the wait runs out first.
  struct Completion {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
  };
  auto c = std::make_shared<Completion>();
  Native().PostEvent(e, [c] {
    std::lock_guard lock(c->m);
    c->done = true;
    c->cv.notify_all();
  });
  std::unique_lock lock(c->m);
  return c->cv.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return c->done; });
}

}  // namespace vorenn::platform
