// The driver on the Qt backend, in real time: input is sent to the units' widgets as Qt mouse, key
// and wheel events (so each widget's own handling and the engine's event filter both see them),
// `advance` waits while dispatching, and message boxes are answered as they appear, from the queue
// of answers or with their first button. This is the only part of the driver that knows Qt: the
// backend interface has no pictures of windows and no way into a box that is already showing.
#pragma once

#include <memory>

#include "tools/driver/driver_host.h"

namespace vorenn::driver {

// The host for the installed Qt backend (null when another backend is installed).
std::unique_ptr<DriverHost> MakeQtHost();

}  // namespace vorenn::driver
