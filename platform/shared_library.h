// Shared objects loaded at run time: the stand-ins for system libraries and anything a DLL row
// names. A loaded stand-in receives the host hooks (platform/stand_ins/host_hooks.h).
#pragma once

#include <string>

namespace vorenn::platform {

struct LibraryExport {
  void* address = nullptr;
  int argumentCount = -1;  // -1: the library does not describe the export
};

// Null when the file cannot be loaded.
void* LoadSharedLibrary(const std::string& path);
void FreeSharedLibrary(void* module);
// By name: the stand-in's export table first (for the argument count), then the symbol table.
LibraryExport FindExport(void* module, const std::string& name);
// By ordinal (1 = the first row of the stand-in's export table); nothing for a library without
// a table or an ordinal outside it.
LibraryExport FindOrdinal(void* module, unsigned ordinal);

// The stand-in file of a system library name ("KERNEL32.dll" -> "libvorenn_kernel32.so"), matched
// without regard to case; empty for a name that is not a system library.
std::string StandInFileFor(const std::string& libraryName);

}  // namespace vorenn::platform
