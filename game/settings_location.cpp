#include "game/settings_location.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/settings_folder.h"

namespace vorenn::game {
namespace {

constexpr char kApplicationFolder[] = "vorenn";

}  // namespace

std::string SettingsFilePath(const std::string& programFolder) {
  if (platform::FolderWritable(programFolder)) return programFolder + "/" + kSettingsFileName;
  std::string folder = platform::UserSettingsFolder(kApplicationFolder);
  if (folder.empty()) {
    std::fprintf(stderr, "vorenn: no folder for %s (no home folder); the account is not remembered\n",
                 kSettingsFileName);
    return programFolder + "/" + kSettingsFileName;
  }
  if (!platform::MakePrivateFolder(folder)) {
    std::fprintf(stderr, "vorenn: cannot create %s (%s); the account is not remembered\n", folder.c_str(),
                 std::strerror(errno));
  }
  return folder + "/" + kSettingsFileName;
}

}  // namespace vorenn::game
