// What every stand-in shared object for a system library exports besides its functions: one table
// that gives each export's name, address and argument count. Row i is ordinal i + 1, so "#5" binds
// row 4. The DLL service checks a call's argument count against the table, as the original caller
// checked that the callee removed exactly the arguments it was given.
#pragma once

#include <cstdint>

extern "C" {

struct StandInExport {
  const char* name;
  void* address;
  int argumentCount;
};

// Exported by every stand-in under this name; *count receives the number of rows.
using StandInExportsFn = const StandInExport* (*)(int* count);
#define VORENN_STAND_IN_EXPORTS_SYMBOL "vorenn_stand_in_exports"

}
