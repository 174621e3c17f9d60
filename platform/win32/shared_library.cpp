// DLLs through the loader of the system: on Windows a DLL row binds the real library, so there are
// no stand-ins and no export tables of our own.
#include "platform/shared_library.h"

#include <windows.h>

namespace vorenn::platform {

void* LoadSharedLibrary(const std::string& path) {
  // The engine joins folders with '/'; the loader wants backslashes in a path it is given.
  std::string native = path;
  for (char& c : native)
    if (c == '/') c = '\\';
  return reinterpret_cast<void*>(LoadLibraryA(native.c_str()));
}

void FreeSharedLibrary(void* module) {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

LibraryExport FindExport(void* module, const std::string& name) {
  if (module == nullptr || name.empty()) return {};
  return {reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name.c_str())), -1};
}

LibraryExport FindOrdinal(void* module, unsigned ordinal) {
  if (module == nullptr || ordinal == 0 || ordinal > 0xFFFF) return {};
  return {reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), MAKEINTRESOURCEA(ordinal))),
          -1};
}

// The system's own libraries are found by their own names.
std::string StandInFileFor(const std::string&) { return {}; }

}  // namespace vorenn::platform
