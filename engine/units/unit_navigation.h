// Keyboard navigation between units, in the message pre-translation before any unit sees a key:
// Tab (Shift+Tab backwards) moves the focus among the window's tab stops; with the window's
// Enter-moves-focus property Enter does the same; with its Esc-closes property Esc asks the window
// to close as its close box does. A focused multi-line edit box keeps Tab and Enter for itself.
//
// Tab order: units whose window exists, is showing (every container visible too) and enabled,
// whose type can take the focus and that keep a tab stop, by ascending tab-order number, equal
// numbers last record first. The focus goes to the candidate after the focused unit, wrapping;
// from a unit that is not a candidate, to the first.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/templates/window_template.h"
#include "platform/native_window.h"

namespace vorenn {

platform::EventAnswer PreTranslateUnitInput(const platform::WindowEvent& event);

// The window's tab stops in navigation order (record indices).
std::vector<size_t> TabOrder(const WindowInstance& instance);

}  // namespace vorenn
