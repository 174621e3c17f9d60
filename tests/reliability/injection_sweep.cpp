#include "tests/reliability/injection_sweep.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "commands/unlnum.h"
#include "engine/core/memory.h"
#include "engine/core/runtime_error.h"
#include "tests/reliability/heap_injection.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// What the child writes into the pipe, one record a line except the report, which comes last:
//   F:<folder>\n       a folder to remove after the run
//   E:<reached>\n<faults>   the flow returned; reached is 0 or 1, faults the rest of the stream
//   R:<message>        the runtime-error report's message (GBK), from the error hook
namespace vorenn::testing {
namespace {

int g_pipe = -1;

// <chrono> does not compile with the GBK execution character set this file needs.
double MonotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
std::string (*g_folder)() = nullptr;

void WriteAll(const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = write(g_pipe, p, left);
    if (n <= 0) return;
    p += n;
    left -= size_t(n);
  }
}

void AnnounceFolder() {
  if (g_folder == nullptr) return;
  std::string folder = g_folder();
  if (!folder.empty()) WriteAll("F:" + folder + "\n");
}

int ReportToParent(int, const char* message) {
  AnnounceFolder();
  WriteAll(std::string("R:") + message);
  return 0;  // the box is still shown and the program ends the way it always does
}

void Set(Injector injector, uint64_t n) {
  switch (injector) {
    case Injector::EngineBlocks: FailAllocationAfter(n); break;
    case Injector::NumberRecords: UnlNumFailAllocationAfter(n); break;
    case Injector::CxxHeap: FailHeapAllocationAfter(n); break;
  }
}

bool Pending(Injector injector) {
  switch (injector) {
    case Injector::EngineBlocks: return AllocationFailurePending();
    case Injector::NumberRecords: return UnlNumAllocationFailurePending();
    case Injector::CxxHeap: return HeapFailurePending();
  }
  return false;
}

class ChildInjection final : public InjectionPoint {
 public:
  ChildInjection(Injector injector, uint64_t n) : injector_(injector), n_(n) {}
  void Arm() override {
    armed_ = true;
    Set(injector_, n_);
  }
  void Disarm() override {
    if (!armed_ || disarmed_) return;
    disarmed_ = true;
    reached_ = n_ != 0 && !Pending(injector_);
    Set(injector_, 0);
  }
  bool Armed() const { return armed_; }
  bool Reached() const { return reached_; }

 private:
  Injector injector_;
  uint64_t n_;
  bool armed_ = false, disarmed_ = false, reached_ = false;
};

[[noreturn]] void RunChild(const InjectedFlow& flow, Injector injector, uint64_t n) {
  SetErrorHook(&ReportToParent);
  ChildInjection injection(injector, n);
  std::string faults = flow(injection);
  injection.Disarm();
  bool reached = injection.Reached();
  if (!injection.Armed()) faults += "the flow never armed the injection\n";
  if (::testing::Test::HasFailure()) faults += "an expectation failed inside the run\n";
#if defined(__SANITIZE_ADDRESS__)
  if (__lsan_do_recoverable_leak_check() != 0) faults += "LeakSanitizer found leaks\n";
#endif
  AnnounceFolder();
  WriteAll(std::string("E:") + (reached ? "1" : "0") + "\n" + faults);
  std::fflush(nullptr);
  _exit(0);
}

// Reads the child's stream until it closes or the deadline passes; false on time-out.
bool ReadUntilClosed(int fd, double deadline, std::string* out) {
  char buffer[4096];
  for (;;) {
    int left = int((deadline - MonotonicSeconds()) * 1000);
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    int ready = poll(&p, 1, left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    out->append(buffer, size_t(n));
  }
}

// Takes the "F:" lines off the front of the stream and removes those folders.
void RemoveAnnouncedFolders(std::string* stream) {
  while (stream->rfind("F:", 0) == 0) {
    size_t end = stream->find('\n');
    if (end == std::string::npos) return;
    std::string folder = stream->substr(2, end - 2);
    if (folder.rfind("/tmp/", 0) == 0) {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    }
    stream->erase(0, end + 1);
  }
}

// "分配 <digits> 字节内存失败!" and nothing else.
bool IsAllocationFailureMessage(const std::string& message) {
  static const std::string head = "分配 ", tail = " 字节内存失败!";
  if (message.size() <= head.size() + tail.size() || message.rfind(head, 0) != 0) return false;
  if (message.compare(message.size() - tail.size(), tail.size(), tail) != 0) return false;
  std::string digits = message.substr(head.size(), message.size() - head.size() - tail.size());
  if (digits[0] == '-') digits.erase(0, 1);
  return !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
}

RunOutcome Judge(int status, std::string stream) {
  RemoveAnnouncedFolders(&stream);
  RunOutcome outcome;
  if (WIFSIGNALED(status)) {
    outcome.kind = RunOutcome::Kind::Crashed;
    outcome.detail = std::string("signal ") + strsignal(WTERMSIG(status));
    return outcome;
  }
  int code = WEXITSTATUS(status);
  if (code == 0 && stream.rfind("E:", 0) == 0 && stream.size() >= 4) {
    outcome.kind = RunOutcome::Kind::Finished;
    outcome.injectionReached = stream[2] == '1';
    outcome.detail = stream.substr(4);
    return outcome;
  }
  if (code == 255 && stream.rfind("R:", 0) == 0 && IsAllocationFailureMessage(stream.substr(2))) {
    outcome.kind = RunOutcome::Kind::Reported;
    outcome.detail = stream.substr(2);
    return outcome;
  }
  outcome.detail = "exit code " + std::to_string(code) + ", stream \"" + stream + "\"";
  return outcome;
}

}  // namespace

RunOutcome RunInjected(const InjectedFlow& flow, Injector injector, uint64_t n, int timeoutMs) {
  int fds[2];
  if (pipe(fds) != 0) return {RunOutcome::Kind::Broken, false, "pipe failed"};
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return {RunOutcome::Kind::Broken, false, "fork failed"};
  }
  if (pid == 0) {
    close(fds[0]);
    g_pipe = fds[1];
    RunChild(flow, injector, n);
  }
  close(fds[1]);
  std::string stream;
  double deadline = MonotonicSeconds() + timeoutMs / 1000.0;
  bool closed = ReadUntilClosed(fds[0], deadline, &stream);
  close(fds[0]);
  if (!closed) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!closed) {
    RemoveAnnouncedFolders(&stream);
    return {RunOutcome::Kind::TimedOut, false, "no end within " + std::to_string(timeoutMs) + " ms"};
  }
  return Judge(status, std::move(stream));
}

SweepResult Sweep(const InjectedFlow& flow, Injector injector, const SweepLimits& limits) {
  SweepResult result;
  double start = MonotonicSeconds();
  for (uint64_t n = 1; limits.maxRuns == 0 || result.runs < limits.maxRuns; n += limits.stride) {
    RunOutcome outcome = RunInjected(flow, injector, n, limits.timeoutMs);
    ++result.runs;
    std::string fault;
    switch (outcome.kind) {
      case RunOutcome::Kind::Finished:
        if (!outcome.detail.empty()) fault = "faults: " + outcome.detail;
        if (outcome.injectionReached && injector == Injector::EngineBlocks)
          fault += "finished although the failing allocation was reached";
        break;
      case RunOutcome::Kind::Reported:
        if (injector != Injector::EngineBlocks) fault = "the failure ended the program: " + outcome.detail;
        break;
      case RunOutcome::Kind::Crashed: fault = "crashed: " + outcome.detail; break;
      case RunOutcome::Kind::TimedOut: fault = "timed out: " + outcome.detail; break;
      case RunOutcome::Kind::Broken: fault = "ended wrongly: " + outcome.detail; break;
    }
    if (!fault.empty()) result.faults.push_back("N=" + std::to_string(n) + ": " + fault);
    bool reached = outcome.kind == RunOutcome::Kind::Reported || outcome.injectionReached;
    if (reached) result.lastFailingN = n;
    if (outcome.kind == RunOutcome::Kind::Finished && !outcome.injectionReached) {
      result.completed = true;
      break;
    }
    if (result.faults.size() >= limits.maxFaults) break;
  }
  result.seconds = MonotonicSeconds() - start;
  return result;
}

uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  return *end == '\0' ? uint64_t(value) : fallback;
}

void RemoveAfterRun(std::string (*folder)()) { g_folder = folder; }

}  // namespace vorenn::testing
