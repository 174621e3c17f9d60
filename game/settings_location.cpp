#include "game/settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorenn::game {
namespace {

constexpr char kApplicationFolder[] = "vorenn";

std::string HomeFolder(const char* home) {
  if (home != nullptr && home[0] == '/') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr &&
                                                entry->pw_dir[0] == '/')
    return entry->pw_dir;
  return {};
}

}  // namespace

std::string ChooseSettingsFolder(const std::string& programFolder, bool programFolderWritable,
                                 const char* xdgConfigHome, const char* home) {
  if (programFolderWritable) return programFolder;
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
    return std::string(xdgConfigHome) + "/" + kApplicationFolder;
  std::string base = HomeFolder(home);
  if (base.empty()) return {};
  return base + "/.config/" + kApplicationFolder;
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

std::string SettingsFilePath(const std::string& programFolder) {
  bool writable = access(programFolder.c_str(), W_OK) == 0;
  std::string folder =
      ChooseSettingsFolder(programFolder, writable, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (folder.empty()) {
    std::fprintf(stderr, "vorenn: no folder for %s (no home folder); the account is not remembered\n",
                 kSettingsFileName);
    return programFolder + "/" + kSettingsFileName;
  }
  if (!writable && !MakePrivateFolder(folder)) {
    std::fprintf(stderr, "vorenn: cannot create %s (%s); the account is not remembered\n", folder.c_str(),
                 std::strerror(errno));
  }
  return folder + "/" + kSettingsFileName;
}

}  // namespace vorenn::game
