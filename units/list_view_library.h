// The list view's library as the program's main places it in the library table: "extended units 1"
// (library 5) with `ListView` as type 4 (types 1-3 are empty entries) and the list commands.
//
// Command table, by index (the first argument a ListView unit reference; bracketed arguments may be
// omitted):
//   0 ClearItems   (list)                                                      -> none
//   1 InsertItem   (list, [position], [title], [image], [state image], [indent], [value]) -> integer
//   2 SetItemText  (list, row, [column], [text])                               -> none
// A reference that names no live ListView does nothing (InsertItem answers -1). The game calls
// these by the numbers below.
#pragma once

#include "engine/core/library.h"

namespace vorenn {

constexpr int kListViewLibrary = 5;

enum ListViewCommand : int {
  kCmdClearItems = 0, kCmdInsertItem = 1, kCmdSetItemText = 2, kListViewCommandCount = 3
};

LibraryDescriptor ListViewLibrary();

// The table entries, for tests.
void ClearItemsEntry(RuntimeValue* result, int argc, RuntimeValue* args);
void InsertItemEntry(RuntimeValue* result, int argc, RuntimeValue* args);
void SetItemTextEntry(RuntimeValue* result, int argc, RuntimeValue* args);

}  // namespace vorenn
