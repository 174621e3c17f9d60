#include "platform/process.h"

#include <windows.h>
// Ours is platform::SetCurrentDirectory, not the header's name for SetCurrentDirectoryW.
#undef SetCurrentDirectory

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vorenn::platform {
namespace {

bool ToAnsi(const std::wstring& wide, std::string* ansi) {
  // A system whose ANSI code page is UTF-8 spells every name; the conversion then takes no flags.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, flags, wide.c_str(), int(wide.size()), nullptr, 0, nullptr,
                              utf8 ? nullptr : &lossy);
  if (n <= 0 || lossy) return false;
  ansi->assign(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.c_str(), int(wide.size()), ansi->data(), n, nullptr, nullptr);
  return true;
}

// The engine opens files with the narrow C functions, which read paths in the ANSI code page. A
// folder whose name that code page cannot spell is reached through its short (8.3) name instead;
// empty when neither spells it.
std::string AnsiPath(const std::wstring& wide) {
  std::string ansi;
  if (ToAnsi(wide, &ansi)) return ansi;
  wchar_t shortName[MAX_PATH];
  DWORD len = GetShortPathNameW(wide.c_str(), shortName, MAX_PATH);
  if (len == 0 || len >= MAX_PATH || !ToAnsi(std::wstring(shortName, len), &ansi)) return {};
  return ansi;
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
