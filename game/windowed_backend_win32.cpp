#include "game/windowed_backend.h"

#include "platform/win32/win32_backend.h"

namespace vorenn::driver {
// The driver's host for the Win32 backend (tools/driver/win32_host.cpp).
std::unique_ptr<DriverHost> MakeWin32Host();
}  // namespace vorenn::driver

namespace vorenn::game {

// The window's icon is the program's icon resource (resources/windows/vorenn.rc).
void InstallWindowedBackend(int&, char**) { platform::InstallWin32Backend(); }

std::unique_ptr<driver::DriverHost> MakeWindowedDriverHost() { return driver::MakeWin32Host(); }

const char kUserSettingsPlace[] = "%APPDATA%\\vorenn\\";

}  // namespace vorenn::game
