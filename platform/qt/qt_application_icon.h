// The program's own icon on its windows and in the desktop's task lists.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vorenn::platform {

// Every top-level window without an icon of its own shows iconFile (an icon or PNG file's bytes);
// desktopName ties the windows to the desktop entry desktopName.desktop, whose icon the
// compositors that ignore window icons show. False when the image cannot be read (the windows then
// keep the toolkit's icon). Call after InstallQtBackend.
bool SetQtApplicationIcon(std::span<const uint8_t> iconFile, const std::string& desktopName);

}  // namespace vorenn::platform
