#include "platform/internal/file_replace.h"

#include <windows.h>

#include <atomic>

namespace vorenn::platform {
namespace {

std::atomic<unsigned> g_tempCounter{0};

bool WriteAll(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD chunk = data.size() > 0x40000000 ? 0x40000000 : DWORD(data.size());
    DWORD written = 0;
    if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

}  // namespace

// The permission bits are Linux's; a Windows file takes the access rules of its folder (the
// settings folder under %APPDATA% is the user's own).
bool ReplaceFileAtomically(const std::string& path, std::string_view content, uint32_t, uint32_t) {
  const std::string temp = path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(g_tempCounter.fetch_add(1)) + ".tmp";
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, content) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DeleteFileA(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace vorenn::platform
