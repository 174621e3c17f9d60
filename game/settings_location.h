// Where the client keeps its settings file, pz.ini: beside the program while the program's folder
// is writable (a copy unpacked into a folder of its own, as players have always run it); otherwise,
// installed system-wide, in the user's configuration folder, $XDG_CONFIG_HOME/vorenn (by default
// ~/.config/vorenn), which only the user may enter. The file's format is the same in both places.
#pragma once

#include <string>

namespace vorenn::game {

inline constexpr char kSettingsFileName[] = "pz.ini";

// The folder chosen for the settings from what the environment says: programFolder when it is
// writable, else the user's configuration folder. xdgConfigHome counts only when it is an absolute
// path; home is used when it does not count. Empty when neither gives a folder.
std::string ChooseSettingsFolder(const std::string& programFolder, bool programFolderWritable,
                                 const char* xdgConfigHome, const char* home);

// Creates folder and its missing parents with mode 0700 and takes group and other access away from
// folder itself when it is the user's. False when it is not there afterwards.
bool MakePrivateFolder(const std::string& folder);

// The full path of the settings file for this process, its folder created when it is not the
// program's own. A folder that cannot be made is reported on standard error once; the path is
// returned all the same, and writing the file then fails as it would in a read-only folder.
std::string SettingsFilePath(const std::string& programFolder);

}  // namespace vorenn::game
