#include "platform/process.h"

#include <windows.h>
// Ours is platform::SetCurrentDirectory, not the header's name for SetCurrentDirectoryW.
#undef SetCurrentDirectory

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vorenn::platform {
namespace {

// The engine opens files with the narrow C functions, which read paths in the ANSI code page. A
// folder whose name that code page cannot spell is reached through its short (8.3) name instead.
std::string AnsiPath(const std::wstring& wide) {
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), int(wide.size()), nullptr, 0,
                              nullptr, &lossy);
  if (n > 0 && !lossy) {
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), int(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
  }
  wchar_t shortName[MAX_PATH];
  DWORD len = GetShortPathNameW(wide.c_str(), shortName, MAX_PATH);
  if (len == 0 || len >= MAX_PATH) return {};
  return AnsiPath(std::wstring(shortName, len));
}

}  // namespace

std::string ProgramPath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      return AnsiPath(buf);
    }
    if (buf.size() >= 32768) return {};
    buf.resize(buf.size() * 2);
  }
}

std::string ProgramDirectoryOf(const std::string& programPath) {
  size_t slash = programPath.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  // "C:\vorenn.exe" lives in the drive's root, "C:\".
  if (slash == 0 || (slash == 2 && programPath[1] == ':')) return programPath.substr(0, slash + 1);
  return programPath.substr(0, slash);
}

bool SetCurrentDirectory(const std::string& dir) { return SetCurrentDirectoryA(dir.c_str()) != 0; }

uint32_t CurrentThreadId() { return uint32_t(GetCurrentThreadId()); }

void EndProcess(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}

}  // namespace vorenn::platform
