#include "game/windowed_backend.h"

#include "platform/qt/qt_application_icon.h"
#include "platform/qt/qt_backend.h"
#include "resources/program_icon.h"
#include "tools/driver/qt_host.h"

namespace vorenn::game {

// The window's icon is the one the desktop entry and the icon theme show: the program's own, built
// in (a bytes block whose icon file starts after its two header words).
void InstallWindowedBackend(int& argc, char** argv) {
  platform::InstallQtBackend(argc, argv);
  const auto* block = static_cast<const uint8_t*>(ProgramIconBlock());
  platform::SetQtApplicationIcon({block + 8, kProgramIconSize}, "vorenn");
}

std::unique_ptr<driver::DriverHost> MakeWindowedDriverHost() { return driver::MakeQtHost(); }

const char kUserSettingsPlace[] = "$XDG_CONFIG_HOME/vorenn/ (default ~/.config/vorenn/)";

}  // namespace vorenn::game
