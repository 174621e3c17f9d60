// The caller's side of a request: hand the request record to a worker, wait for it while window
// events keep being dispatched, and take the answer back.
#include "web/web_request.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "engine/core/memory.h"
#include "engine/standard_units/window_commands.h"
#include "web/exchange_stream.h"
#include "web/internal/bound_calls.h"
#include "web/internal/exchange_guard.h"

namespace vorenn {
namespace {

using Clock = std::chrono::steady_clock;

// Never destroyed: an abandoned worker may still be finishing while the process exits.
struct LastHeaders {
  std::mutex lock;
  std::string text;
};
LastHeaders& Last() {
  static LastHeaders* last = new LastHeaders;
  return *last;
}

DWORD WorkerThread(void* parameter) {
  auto* guard = static_cast<ExchangeGuard*>(parameter);
  bool answered = RunWebRequestWorker(guard->Stream(), guard);
  guard->Release();
  return answered ? 1 : 0;
}

// Waits until the worker ends or the deadline passes, dispatching window events after every
// wake-up. The deadline is fixed at the start: input arriving during the wait (the game's 20 ms
// animation timer is input) shortens the next wait instead of starting a new full one, so a
// server that never answers cannot hold the request for ever. When the events dispatched closed
// the program's last window, the wait ends as timed out: the program is ending, and an answer
// arriving now would only be handled against units that are gone.
DWORD WaitForWorker(bound::HANDLE thread, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    DWORD ms = left <= 0 ? 0 : DWORD(std::min<int64_t>(left, 0x7FFFFFFF));
    DWORD result = bound::MsgWaitForMultipleObjects(1, &thread, /*waitAll=*/0, ms, bound::kQsAllInput);
    ProcessEvents();
    if (ProgramEnding()) return bound::kWaitTimeout;
    if (result == bound::kWaitObject0 || result == bound::kWaitTimeout || result == bound::kWaitFailed) {
      return result;
    }
    if (Clock::now() >= deadline) return bound::kWaitTimeout;
  }
}

void StoreText(char** variable, std::string_view text) {
  char* block = nullptr;
  if (!text.empty()) {
    block = static_cast<char*>(AllocBlock(int32_t(text.size() + 1)));
    std::memcpy(block, text.data(), text.size());
    block[text.size()] = '\0';
  }
  FreeBlock(*variable);
  *variable = block;
}

}  // namespace

void SetLastResponseHeaders(std::string_view headers) {
  LastHeaders& last = Last();
  std::lock_guard lock(last.lock);
  last.text.assign(headers);
}

std::string LastResponseHeaders() {
  LastHeaders& last = Last();
  std::lock_guard lock(last.lock);
  return last.text;
}

void* WebRequest(const char* url, const WebRequestArgs& args) {
  FileNumber stream = OpenMemoryFile();
  WriteRequestRecord(stream, url, args.method, args.proxy, args.userName, args.password,
                     args.extraHeaders, args.body);
  // A negative time-out would become a wait of weeks; it counts as not given.
  int64_t seconds = args.timeoutSeconds.value_or(0);
  if (seconds <= 0) seconds = kDefaultTimeoutSeconds;
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);

  auto* guard = new ExchangeGuard(stream);
  DWORD threadId = 0;
  // Nothing is sent once the program is ending: no answer could be shown.
  bound::HANDLE thread = ProgramEnding() ? nullptr : bound::CreateThread(&WorkerThread, guard, &threadId);
  bool workerEnded = false;
  if (thread == nullptr) {
    guard->Release();  // the worker's share: it never ran
  } else {
    workerEnded = WaitForWorker(thread, deadline) == bound::kWaitObject0;
    // A worker still inside the internet functions is not ended from outside: stopped there it
    // could die holding their locks. Closing its session makes the blocking call return, and the
    // worker finishes on its own against a guard that no longer waits for it.
    if (!workerEnded) guard->Abandon();
    bound::CloseHandle(thread);
  }

  AnswerRecord answer = ReadAnswerRecord(stream);
  guard->Release();
  CloseFile(stream);
  void* body = answer.body;
  if (!answer.present || !workerEnded) {
    FreeBlock(body);
    body = nullptr;
  }
  if (args.responseHeaders != nullptr) StoreText(args.responseHeaders, answer.headers);
  if (args.lastHeaders != nullptr) StoreText(args.lastHeaders, LastResponseHeaders());
  return body;
}

}  // namespace vorenn
