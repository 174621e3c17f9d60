#include "platform/settings_folder.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>

namespace vorenn::platform {
namespace {

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/'));
}

bool IsFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::atomic<unsigned> g_probeCounter{0};

}  // namespace

// The read-only attribute says nothing about a folder's access rules (Program Files has none and
// still refuses a player's files): a file is made there and removed again.
bool FolderWritable(const std::string& folder) {
  const std::string probe = folder + "\\vorenn-write-probe-" + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(g_probeCounter.fetch_add(1)) + ".tmp";
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::string UserSettingsFolder(const std::string& application) {
  const char* appData = std::getenv("APPDATA");
  if (appData == nullptr || !IsAbsolute(appData)) return {};
  std::string base = appData;
  while (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
  return base + "\\" + application;
}

// The folders under %APPDATA% are the user's own; they keep the access rules they inherit.
bool MakePrivateFolder(const std::string& folder) {
  if (folder.empty()) return false;
  // Skip the drive ("C:\") or the server and share ("\\server\share\") before making parts.
  size_t start = 0;
  if (folder.size() >= 3 && folder[1] == ':') {
    start = 3;
  } else if (folder.size() >= 2 && (folder[0] == '\\' || folder[0] == '/')) {
    size_t server = folder.find_first_of("\\/", 2);
    start = server == std::string::npos ? folder.size() : folder.find_first_of("\\/", server + 1);
    if (start == std::string::npos) start = folder.size();
  }
  for (size_t at = folder.find_first_of("\\/", start);; at = folder.find_first_of("\\/", at + 1)) {
    std::string part = folder.substr(0, at);
    if (!part.empty() && !IsFolder(part) && !CreateDirectoryA(part.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    if (at == std::string::npos) break;
  }
  return IsFolder(folder);
}

}  // namespace vorenn::platform
