// What a request's caller and its worker share besides the global header text: the exchange stream,
// behind a lock, and the worker's open internet session. When the caller stops waiting it abandons
// the exchange: from then on the worker never touches the stream, and closing the session cancels
// the transfer the worker is blocked in. Each side releases the guard once; the last one frees it.
#pragma once

#include <atomic>
#include <mutex>

#include "commands/memory_file.h"
#include "web/internal/internet_types.h"

namespace vorenn {

class ExchangeGuard {
 public:
  explicit ExchangeGuard(FileNumber stream) : stream_(stream) {}
  FileNumber Stream() const { return stream_; }

  // Worker: runs use(stream) under the lock; false without running it once abandoned.
  template <typename Use>
  bool UseStream(Use use) {
    std::lock_guard lock(lock_);
    if (abandoned_) return false;
    use(stream_);
    return true;
  }
  // Worker: makes the session known to an abandoning caller; false (not recorded) once abandoned.
  bool PublishSession(HINTERNET session);
  // Worker: forgets the session before closing it itself.
  void WithdrawSession();
  bool Abandoned() const;

  // Caller: abandons the exchange and cancels its transfer. Returns once the worker is out of the
  // stream.
  void Abandon();

  // Caller and worker each once.
  void Release();

 private:
  ~ExchangeGuard() = default;

  mutable std::mutex lock_;
  bool abandoned_ = false;
  HINTERNET session_ = nullptr;
  const FileNumber stream_;
  std::atomic<int> refs_{2};
};

// Runs the worker's procedure; with a guard, every touch of the stream goes through it.
bool RunWebRequestWorker(FileNumber stream, ExchangeGuard* guard);

// Sets the shared header text (guarded: workers and the caller use it at the same time).
void SetLastResponseHeaders(std::string_view headers);

}  // namespace vorenn
