// What the standard units share: one native window with its event sink, the common events -1 to
// -12 raised from its input before the window's own handling, own properties held in a
// PropertyStore, and the operations 1, 4, 5 and 6 of the interface function.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>

#include "engine/units/unit_contract.h"
#include "engine/units/unit_data.h"
#include "platform/backend.h"

namespace vorenn {

class Unit : public UnitWindow {
 public:
  ~Unit() override;
  Unit(const Unit&) = delete;
  Unit& operator=(const Unit&) = delete;

  platform::WindowHandle Handle() const override { return handle_; }
  void SetContainer(UnitWindow& container) override;
  void PlaceBelow(UnitWindow* above) override;
  void SetShown(bool shown) override;
  void SendEngineMessage(uint32_t message) override;
  bool IsEnabled() const override;
  void SetEnabled(bool enabled) override;

  uint32_t WindowId() const { return windowId_; }
  uint32_t UnitId() const { return unitId_; }
  bool HasLiveWindow() const;

  // Operations 4, 5, 6 by property index (8 and above). The defaults store and read back.
  // SetOwnProperty answers true when the unit must be re-created for the new value.
  virtual bool SetOwnProperty(int index, const UnitValue& value);
  virtual bool GetOwnProperty(int index, UnitValue* value);
  virtual std::vector<uint8_t> UnitData() const { return properties_.Write(layout_); }

 protected:
  Unit(const UnitCreateArgs& args, const UnitLayout& layout, int propertyCount);

  // Reads the unit data, then creates the native window from `params` (role, style, text; the
  // geometry and parent come from the create arguments). False when either fails.
  bool Create(const UnitCreateArgs& args, platform::WindowSpec params);
  // Called between reading the data and creating the window: fix values, fill the params.
  virtual void Prepare(platform::WindowSpec& params) { (void)params; }
  // After the common events, for what they let through.
  virtual platform::EventAnswer OnEvent(const platform::WindowEvent& e) {
    (void)e;
    return {};
  }
  virtual void OnEngineMessage(uint32_t message) { (void)message; }

  // Raises an event of this unit with integer arguments; the handler's answer if it gave one.
  std::optional<uint32_t> Raise(int32_t event, std::initializer_list<int32_t> arguments = {});
  // False once the unit has been destroyed (a handler may destroy the unit that raised its event).
  std::shared_ptr<const bool> AliveToken() const { return alive_; }

  void ApplyAppearance();

  PropertyStore properties_;
  platform::Appearance appearance_;

 private:
  platform::EventAnswer Sink(const platform::WindowEvent& e);
  platform::EventAnswer RaiseCommonEvent(const platform::WindowEvent& e);
  void ApplyCustomPointer();

  const UnitLayout& layout_;
  uint32_t windowId_;
  uint32_t unitId_;
  platform::WindowHandle handle_ = platform::kNoWindow;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The interface function of a unit class T (constructor T(const UnitCreateArgs&), then
// bool T::Init(const UnitCreateArgs&)).
template <class T>
UnitWindow* CreateUnitOf(const UnitCreateArgs& args) {
  auto unit = std::make_unique<T>(args);
  if (!unit->Init(args)) return nullptr;
  return unit.release();
}
void* StandardUnitOperation(int operation, CreateOperation create);
template <class T>
void* StandardUnitInterface(int operation) {
  return StandardUnitOperation(operation, &CreateUnitOf<T>);
}

// Frequently used property values.
bool IsDefaultColour(uint32_t colour);

}  // namespace vorenn
