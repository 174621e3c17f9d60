// Where the client keeps its settings file, pz.ini: beside the program while the program's folder
// is writable (a copy unpacked into a folder of its own, as players have always run it); otherwise,
// installed system-wide, in the user's own settings folder (platform/settings_folder.h:
// $XDG_CONFIG_HOME/vorenn or ~/.config/vorenn on Linux, %APPDATA%\vorenn on Windows), which only the
// user may enter. The file's format is the same in both places.
#pragma once

#include <string>

namespace vorenn::game {

inline constexpr char kSettingsFileName[] = "pz.ini";

// The full path of the settings file for this process, its folder created when it is not the
// program's own. A folder that cannot be made is reported on standard error once; the path is
// returned all the same, and writing the file then fails as it would in a read-only folder.
std::string SettingsFilePath(const std::string& programFolder);

}  // namespace vorenn::game
