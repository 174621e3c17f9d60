// The two libraries of extended unit types, as the program's main places them in the library
// table: "extended units 2" (library 3) with `SuperBtn` as type 1, and "extended units 1"
// (library 5) with `ListView` as type 4 (types 1-3 are empty entries) and the list commands.
//
// Command table of extended units 1, by index (the first argument a ListView unit reference;
// bracketed arguments may be omitted):
//   0 ClearItems   (list)                                                      -> none
//   1 InsertItem   (list, [position], [title], [image], [state image], [indent], [value]) -> integer
//   2 SetItemText  (list, row, [column], [text])                               -> none
// A reference that names no live ListView does nothing (InsertItem answers -1).
#pragma once

#include "engine/library.h"

namespace vorenn {

constexpr int kExtendedUnits2Library = 3;
constexpr int kExtendedUnits1Library = 5;

enum ListCommand : int { kCmdClearItems = 0, kCmdInsertItem = 1, kCmdSetItemText = 2, kListCommandCount = 3 };

LibraryDescriptor ExtendedUnits1Library();
LibraryDescriptor ExtendedUnits2Library();

// The table entries, for tests.
void ClearItemsEntry(RuntimeValue* result, int argc, RuntimeValue* args);
void InsertItemEntry(RuntimeValue* result, int argc, RuntimeValue* args);
void SetItemTextEntry(RuntimeValue* result, int argc, RuntimeValue* args);

}  // namespace vorenn
