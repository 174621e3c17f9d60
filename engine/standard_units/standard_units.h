// The core library's data types: the eight standard unit types at their type numbers (window 1,
// EditBox 5, DrawPanel 8, GroupBox 9, Label 10, Button 11, VScrollBar 18, Timer 32; data-type
// code 0x0001TTTT), the other numbers empty entries. The program's main hands this table to the
// core library (SetCoreLibraryTypes) before it assembles the library table.
#pragma once

#include <span>

#include "engine/core/type_descriptor.h"

namespace vorenn {

std::span<const TypeDescriptor> StandardUnitTypes();

}  // namespace vorenn
