// The program's desktop backend on this system, one file per system chosen by the build:
// windowed_backend_qt.cpp (Linux) or windowed_backend_win32.cpp (Windows). The headless backend is
// the same everywhere and chosen in main.cpp.
#pragma once

#include <memory>

#include "tools/driver/driver_host.h"

namespace vorenn::game {

// Installs the backend with the program's icon.
void InstallWindowedBackend(int& argc, char** argv);

// The scripted driver's host for that backend.
std::unique_ptr<driver::DriverHost> MakeWindowedDriverHost();

// The sentence of the usage text that says where pz.ini is kept when the program's folder is not
// writable.
extern const char kUserSettingsPlace[];

}  // namespace vorenn::game
