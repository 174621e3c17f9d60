// The driver on the Win32 backend, in real time: input is sent to the units' native windows as
// window messages (so each control's own handling and the backend's window procedures both see
// them), `advance` waits while dispatching, and message boxes are answered once they are up, from
// the queue of answers or with their first button; pictures come from the backend. This is the
// only part of the driver that knows Win32.
//
// With the environment variable VORENN_SCRIPT_BOX_SHOTS naming a folder, a picture of every box is
// written there (box-01.png, box-02.png, ...) just before it is answered.
#pragma once

#include <memory>

#include "tools/driver/driver_host.h"

namespace vorenn::driver {

inline constexpr char kBoxShotsVariable[] = "VORENN_SCRIPT_BOX_SHOTS";

// The host for the installed Win32 backend (null when another backend is installed).
std::unique_ptr<DriverHost> MakeWin32Host();

}  // namespace vorenn::driver
