// The Qt backend on Qt's offscreen platform, shared by the Qt test files: one application object
// and one backend for the whole test program.
#pragma once

#include <QCoreApplication>

#include <cstdlib>

#include "platform/backend.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_backend_internal.h"

namespace vorenn::platform::testing_support {

inline QtBackend& TheQtBackend() {
  static QtBackend* backend = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "qt_backend_tests";
    static char* argv[] = {name, nullptr};
    InstallQtBackend(argc, argv);
    return static_cast<QtBackend*>(&Native());
  }();
  return *backend;
}

// Lets Qt deliver what it queued (show, activation, deferred deletes).
inline void PumpQt() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace vorenn::platform::testing_support
