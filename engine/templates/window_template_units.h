// What the window loader needs from unit types: the live window object that a type's create
// operation makes, and the type's interface function, which maps operation numbers to operations.
// The loader finds a record's type through a resolver that the unit contract installs (from the
// library table's type descriptors: their state word and interface function).
#pragma once

#include <cstdint>
#include <span>

#include "platform/native_window.h"

namespace vorenn {

// Engine messages sent to every live window while a window loads.
enum EngineMessage : uint32_t {
  kMessageUnitsCreated = 0x806F,  // all units exist and have their containers
  kMessageWindowCreated = 0x8004,  // to the window only, after kMessageUnitsCreated
  kMessageLoadFinished = 0x8076,  // the window has been shown
};

// Style bits handed to a create operation.
enum UnitStyle : uint32_t { kUnitStyleDisabled = 1u << 0, kUnitStyleTabStop = 1u << 1 };

// Bit of a type's state word: units of the type are never shown (timers).
constexpr uint32_t kUnitStateNeverShown = 0x00008000;

// A unit's live window object. The loader owns it through the window instance; destroying it
// destroys the native window.
class UnitWindow {
 public:
  virtual ~UnitWindow() = default;
  virtual platform::WindowHandle Handle() const = 0;
  // Moves the native window into its container (another unit's window or the window itself).
  virtual void SetContainer(UnitWindow& container) = 0;
  // Z-order among the container's children: directly below `above`, or at the top for null.
  virtual void PlaceBelow(UnitWindow* above) = 0;
  // Shows without activating, or hides.
  virtual void SetShown(bool shown) = 0;
  virtual void SendEngineMessage(uint32_t message) = 0;
  virtual bool IsEnabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // Window objects only (the window's own record): the window shows itself in the state its
  // position property asks for (normal, minimized, maximized), restores from minimized, comes to
  // the front.
  virtual void ShowWindow() {}
  virtual bool IsMinimized() const { return false; }
  virtual void Restore() {}
  virtual void Activate() {}
  // Keyboard navigation (engine/units/unit_navigation.cpp) asks the unit: whether, focused, it
  // takes Tab or Enter itself (a multi-line edit box), and, of a window, whether it turns Enter
  // into a focus move and Esc into a close.
  virtual bool KeepsKey(int key) {
    (void)key;
    return false;
  }
  virtual bool EnterMovesFocus() { return false; }
  virtual bool EscapeCloses() { return false; }
};

// Operation numbers of the interface function.
enum UnitOperation : int { kOpCreate = 1, kOpSetProperty = 4, kOpGetData = 5, kOpGetProperty = 6 };

struct UnitCreateArgs {
  std::span<const uint8_t> unitData;  // empty: the type's defaults
  uint32_t style = 0;                 // UnitStyle bits
  UnitWindow* parent = nullptr;       // the window for units; null for the window itself
  platform::WindowHandle owner = platform::kNoWindow;  // the window's owner (parent window)
  uint32_t controlId = 0;
  int32_t left = 0, top = 0, width = 0, height = 0;
  uint32_t windowId = 0;
  uint32_t unitId = 0;
};
// Operation 1. Returns a new window object, or null when the unit cannot be created (for
// instance unit data of a version the type does not know).
using CreateOperation = UnitWindow* (*)(const UnitCreateArgs& args);

// The interface function: an operation by number, or null when the type lacks it. Callers cast the
// answer to the operation's own type (CreateOperation for kOpCreate).
using UnitInterfaceFn = void* (*)(int operation);

struct UnitType {
  uint32_t stateFlags = 0;
  UnitInterfaceFn interface = nullptr;
};

// Fills *type for a data-type code; false when no unit type has that code.
using UnitTypeResolver = bool (*)(uint32_t typeCode, UnitType* type);

// Null: no unit type resolves, and every load fails at its window.
void SetUnitTypeResolver(UnitTypeResolver resolver);
bool ResolveUnitType(uint32_t typeCode, UnitType* type);
// The type's create operation, or null.
CreateOperation CreateOperationOf(const UnitType& type);

}  // namespace vorenn
