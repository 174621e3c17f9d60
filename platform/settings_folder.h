// The folders a program may keep its settings in: its own while that is writable, else the
// user's own folder for the application ($XDG_CONFIG_HOME/<application> or
// ~/.config/<application> on Linux, %APPDATA%\<application> on Windows).
#pragma once

#include <string>

namespace vorenn::platform {

// Whether the process may create files in `folder`.
bool FolderWritable(const std::string& folder);

// The user's folder for `application`'s settings; empty when the environment names none. Only an
// absolute XDG_CONFIG_HOME or APPDATA counts: a relative one would put the settings wherever the
// program was started.
std::string UserSettingsFolder(const std::string& application);

// Creates `folder` and its missing parents so that only the user may enter them (Linux: mode 0700,
// and group and other access taken away from `folder` itself when it is the user's). False when it
// is not a folder afterwards.
bool MakePrivateFolder(const std::string& folder);

}  // namespace vorenn::platform
