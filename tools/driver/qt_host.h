// The driver on the Qt backend, in real time: input is sent to the units' widgets as Qt mouse, key
// and wheel events (so each widget's own handling and the engine's event filter both see them),
// `advance` waits while dispatching, and message boxes are answered as they appear, from the queue
// of answers or with their default button; pictures come from the backend. This is the only part
// of the driver that knows Qt: the backend interface has no way to give a widget native input or to
// answer a box that is already showing.
//
// While the host lives the backend shows every box, on Qt's offscreen platform too, so a script
// reads the same MSGBOX lines and gives the same answers there as on the headless backend; the
// notification-area tip is the one the window asked for, whether or not a tray shows it.
#pragma once

#include <memory>

#include "tools/driver/driver_host.h"

namespace vorenn::driver {

// The host for the installed Qt backend (null when another backend is installed).
std::unique_ptr<DriverHost> MakeQtHost();

}  // namespace vorenn::driver
