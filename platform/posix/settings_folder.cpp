#include "platform/settings_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vorenn::platform {
namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr &&
                                                entry->pw_dir[0] == '/')
    return entry->pw_dir;
  return {};
}

}  // namespace

bool FolderWritable(const std::string& folder) { return access(folder.c_str(), W_OK) == 0; }

std::string UserSettingsFolder(const std::string& application) {
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
  const char* xdgConfigHome = std::getenv("XDG_CONFIG_HOME");
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') return std::string(xdgConfigHome) + "/" + application;
  std::string base = HomeFolder();
  if (base.empty()) return {};
  return base + "/.config/" + application;
}

bool MakePrivateFolder(const std::string& folder) {
  if (folder.empty()) return false;
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  // A folder left open by an earlier program or a loose umask would let others read the password.
  if (st.st_uid == getuid() && (st.st_mode & 077) != 0) chmod(folder.c_str(), st.st_mode & 0700);
  return true;
}

}  // namespace vorenn::platform
