// A unit window over a bare native handle: the parent that unit-data tests and fuzz targets create
// units in, without loading a whole program window around them.
#pragma once

#include "engine/window_template_units.h"
#include "platform/native_window.h"

namespace vorenn::testing_support {

class BareParentWindow final : public UnitWindow {
 public:
  explicit BareParentWindow(platform::WindowHandle h) : h_(h) {}
  platform::WindowHandle Handle() const override { return h_; }
  void SetContainer(UnitWindow&) override {}
  void PlaceBelow(UnitWindow*) override {}
  void SetShown(bool) override {}
  void SendEngineMessage(uint32_t) override {}
  bool IsEnabled() const override { return true; }
  void SetEnabled(bool) override {}

 private:
  platform::WindowHandle h_;
};

}  // namespace vorenn::testing_support
