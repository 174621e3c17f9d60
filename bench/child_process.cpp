#include "bench/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

extern char** environ;

namespace vorenn::bench {

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& t : texts) out.push_back(t.data());
  out.push_back(nullptr);
  return out;
}

// The current environment with `extra` added; a name given in `extra` replaces the inherited one.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('=') + 1);
    bool replaced = std::any_of(extra.begin(), extra.end(), [&](const std::string& x) { return x.rfind(name, 0) == 0; });
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

// Waits on a process descriptor, so the end is seen at once and a hang cannot stop the benchmark.
void Reap(pid_t pid, int timeoutMs, ChildRun& run) {
  const long long deadline = run.startNs + (long long)timeoutMs * 1000000LL;
  int descriptor = int(syscall(SYS_pidfd_open, pid, 0));
  for (;;) {
    long long leftMs = (deadline - MonotonicNs()) / 1000000LL;
    if (leftMs <= 0) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (descriptor < 0) break;  // no process descriptors here: wait without a limit
    pollfd ready{descriptor, POLLIN, 0};
    int got = poll(&ready, 1, int(std::min<long long>(leftMs, 1000)));
    if (got > 0) break;
    if (got < 0 && errno != EINTR) break;
  }
  int status = 0;
  while (wait4(pid, &status, 0, &run.usage) < 0 && errno == EINTR) {
  }
  run.endNs = MonotonicNs();
  if (descriptor >= 0) close(descriptor);
  run.exitStatus = !run.timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::optional<ChildRun> RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                                 const std::string& outputPath, int timeoutMs) {
  std::vector<std::string> args = argv;
  std::vector<std::string> env = Environment(extraEnv);
  std::vector<char*> argp = Pointers(args);
  std::vector<char*> envp = Pointers(env);
  const std::string out = outputPath.empty() ? "/dev/null" : outputPath;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  ChildRun run;
  pid_t pid = 0;
  run.startNs = MonotonicNs();
  int failed = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return std::nullopt;
  Reap(pid, timeoutMs, run);
  return run;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace vorenn::bench
