// A unit window over a bare native handle: the parent that unit-data tests and fuzz targets create
// units in, without loading a whole program window around them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "engine/templates/window_template_units.h"
#include "engine/units/unit_contract.h"
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

// A unit of `type` created straight from its stored data, as the loader would; null when the type
// refuses the data.
inline std::unique_ptr<UnitWindow> CreateUnitFromData(const TypeDescriptor& type, UnitWindow* parent,
                                                      std::span<const uint8_t> data, int width,
                                                      int height) {
  UnitCreateArgs args;
  args.unitData = data;
  args.parent = parent;
  args.width = width;
  args.height = height;
  return std::unique_ptr<UnitWindow>(OperationOf<CreateOperation>(type, kOpCreate)(args));
}

}  // namespace vorenn::testing_support
