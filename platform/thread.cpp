#include "platform/thread.h"

#include <atomic>
#include <thread>

#include "platform/backend.h"
#include "platform/process.h"

namespace vorenn::platform {

struct Thread::State {
  ThreadRoutine routine = nullptr;
  void* parameter = nullptr;
  std::atomic<uint32_t> id{0};
  std::atomic<bool> ended{false};
  std::atomic<uint32_t> exitCode{0};
};

namespace {

void WakeWaiters() {
  if (HasBackend()) Native().Wake();
}

void Run(std::shared_ptr<Thread::State> s) {
  s->id = CurrentThreadId();
  s->id.notify_all();
  uint32_t code = s->routine(s->parameter);
  bool wasEnded = s->ended.exchange(true);
  if (!wasEnded) s->exitCode = code;
  WakeWaiters();
}

bool AllEnded(std::span<const ThreadRef> threads) {
  for (const auto& t : threads)
    if (!t->Ended()) return false;
  return true;
}

int FirstEnded(std::span<const ThreadRef> threads) {
  for (size_t i = 0; i < threads.size(); ++i)
    if (threads[i]->Ended()) return int(i);
  return -1;
}

}  // namespace

Thread::Thread(std::shared_ptr<State> state) : state_(std::move(state)) {}

uint32_t Thread::Id() const { return state_->id; }
bool Thread::Ended() const { return state_->ended; }
uint32_t Thread::ExitCode() const { return state_->exitCode; }

bool Thread::Abandon(uint32_t code) {
  if (state_->ended.exchange(true)) return false;
  state_->exitCode = code;
  WakeWaiters();
  return true;
}

ThreadRef StartThread(ThreadRoutine routine, void* parameter) {
  if (routine == nullptr) return nullptr;
  auto state = std::make_shared<Thread::State>();
  state->routine = routine;
  state->parameter = parameter;
  try {
    std::thread(Run, state).detach();
  } catch (const std::system_error&) {
    return nullptr;
  }
  // The id is known to the creator, as it is for a native thread.
  state->id.wait(0);
  return std::make_shared<Thread>(state);
}

uint32_t WaitForThreadsOrInput(std::span<const ThreadRef> threads, bool waitAll, uint32_t timeoutMs,
                               bool wakeOnInput) {
  if (threads.empty()) return kWaitFailed;
  for (const auto& t : threads)
    if (!t) return kWaitFailed;
  const bool infinite = timeoutMs == kWaitInfinite;
  const Deadline deadline = infinite ? kNoDeadline : DeadlineAfterMs(timeoutMs);
  for (;;) {
    if (waitAll ? AllEnded(threads) : FirstEnded(threads) >= 0)
      return waitAll ? kWaitObject0 : kWaitObject0 + uint32_t(FirstEnded(threads));
    if (wakeOnInput && Native().InputPending()) return kWaitObject0 + uint32_t(threads.size());
    if (!infinite && SteadyNowMs() >= deadline) return kWaitTimeout;
    bool input = Native().WaitForInputOrWake(deadline, wakeOnInput);
    if (input && wakeOnInput) {
      if (!waitAll && FirstEnded(threads) >= 0) return kWaitObject0 + uint32_t(FirstEnded(threads));
      return kWaitObject0 + uint32_t(threads.size());
    }
  }
}

}  // namespace vorenn::platform
