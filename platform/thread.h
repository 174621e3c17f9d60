// Worker threads and the message-aware wait of the UI thread.
//
// A Thread is shared between its handle holder and the running thread: closing the handle of a
// running thread lets it finish on its own; abandoning one (the "terminate" of the thread stand-in)
// marks it ended for every waiter at once while the routine is left to return by itself, because a
// thread stopped from outside could die holding a lock or half-way through writing memory.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace vorenn::platform {

using ThreadRoutine = uint32_t (*)(void* parameter);

class Thread;
using ThreadRef = std::shared_ptr<Thread>;

// Starts routine(parameter) on a new thread. Null when the thread cannot be started.
ThreadRef StartThread(ThreadRoutine routine, void* parameter);

class Thread {
 public:
  uint32_t Id() const;
  // Ended: the routine returned, or the thread was abandoned.
  bool Ended() const;
  // The routine's result once it returned; `abandonCode` for an abandoned thread.
  uint32_t ExitCode() const;
  // Marks a running thread ended with `code`; false when it had already ended.
  bool Abandon(uint32_t code);

  struct State;
  explicit Thread(std::shared_ptr<State> state);

 private:
  std::shared_ptr<State> state_;
};

// Wait results, in the numbering the thread stand-in hands out.
constexpr uint32_t kWaitObject0 = 0;
constexpr uint32_t kWaitTimeout = 258;
constexpr uint32_t kWaitFailed = 0xFFFFFFFF;
constexpr uint32_t kWaitInfinite = 0xFFFFFFFF;

// Waits on the UI thread until a thread has ended (any: its index; all with waitAll: 0), or input
// for the UI thread is waiting while wakeOnInput is set (threads.size()), or timeoutMs
// milliseconds of real time have passed (kWaitTimeout; kWaitInfinite never times out). Ended
// threads win over waiting input. Does not dispatch input itself, except on a backend that cannot
// wait otherwise. kWaitFailed for an empty list or a null thread.
uint32_t WaitForThreadsOrInput(std::span<const ThreadRef> threads, bool waitAll, uint32_t timeoutMs,
                               bool wakeOnInput);

}  // namespace vorenn::platform
