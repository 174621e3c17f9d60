// Stand-ins for the two extended unit types the game's window holds (the image button of library 3
// and the list view of library 5), enough for the game's flows: the button keeps its properties
// and raises event 0 when clicked, the list keeps its rows and answers the three list commands at
// the game's command numbers.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "engine/library.h"
#include "engine/type_descriptor.h"

namespace vorenn::testing {

std::span<const TypeDescriptor> SuperBtnStandInTypes();  // library 3: type 1
std::span<const TypeDescriptor> ListViewStandInTypes();  // library 5: type 4
std::span<const CommandFn> ListViewStandInCommands();

// The rows of the list view unit on the program's window (each row: its column texts).
std::vector<std::vector<std::string>> ListRows(uint32_t unitId);

}  // namespace vorenn::testing
