// The Qt backend: real windows on Qt 6 Widgets. Where there is no display (DISPLAY and
// WAYLAND_DISPLAY unset) Qt runs on its offscreen platform.
#pragma once

namespace vorenn::platform {

// Creates the application object and installs the backend. argc and argv must live as long as the
// program (Qt keeps them).
void InstallQtBackend(int& argc, char** argv);

}  // namespace vorenn::platform
