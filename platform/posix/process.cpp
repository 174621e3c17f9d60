#include "platform/process.h"

#include <cstdio>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace vorenn::platform {

std::string ProgramPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, size_t(n));
}

std::string ProgramDirectoryOf(const std::string& programPath) {
  size_t slash = programPath.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return programPath.substr(0, slash);
}

bool SetCurrentDirectory(const std::string& dir) { return chdir(dir.c_str()) == 0; }

uint32_t CurrentThreadId() { return uint32_t(syscall(SYS_gettid)); }

void EndProcess(int code) {
  std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
  // _exit skips the leak check LeakSanitizer runs from atexit, so every program end would go
  // unchecked; found leaks end the process with LeakSanitizer's exit code instead of `code`.
  __lsan_do_leak_check();
#endif
  _exit(code);
}

}  // namespace vorenn::platform
