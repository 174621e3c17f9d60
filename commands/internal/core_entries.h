// How the core command entries are put into the table (commands/core_library.cpp).
#pragma once

#include "engine/core/library.h"
#include "engine/core/runtime_value.h"

namespace vorenn::core_entries {

// The argument at `i`, or an omitted one past the end of the argument list.
inline const RuntimeValue& Arg(int argc, const RuntimeValue* args, int i) {
  static const RuntimeValue kOmitted{0, 0, kTypeNone};
  return (i < argc && args != nullptr) ? args[i] : kOmitted;
}

// Text, byte-array and conversion commands.
void InstallTextEntries(CommandFn* table);
// Date-time, file and INI commands.
void InstallFileAndTimeEntries(CommandFn* table);
// The window commands, over the engine's window functions (engine/standard_units/window_commands.h).
void InstallWindowEntries(CommandFn* table);

}  // namespace vorenn::core_entries
