#include "platform/shared_library.h"

#include <dlfcn.h>
#include <strings.h>

#include "platform/stand_ins/host_hooks.h"
#include "platform/stand_ins/stand_in.h"
#include "platform/thread_handles.h"

namespace vorenn::platform {
namespace {

const StandInExport* ExportTable(void* module, int* count) {
  *count = 0;
  auto fn = reinterpret_cast<StandInExportsFn>(dlsym(module, VORENN_STAND_IN_EXPORTS_SYMBOL));
  if (fn == nullptr) return nullptr;
  const StandInExport* rows = fn(count);
  if (rows == nullptr || *count < 0) *count = 0;
  return rows;
}

struct SystemLibrary {
  const char* name;
  const char* file;
};
constexpr SystemLibrary kSystemLibraries[] = {
    {"kernel32.dll", "libvorenn_kernel32.so"}, {"gdi32.dll", "libvorenn_gdi32.so"},
    {"user32.dll", "libvorenn_user32.so"},     {"advapi32.dll", "libvorenn_advapi32.so"},
    {"mpr.dll", "libvorenn_mpr.so"},           {"shell32.dll", "libvorenn_shell32.so"},
    {"wininet.dll", "libvorenn_wininet.so"},
};

}  // namespace

void* LoadSharedLibrary(const std::string& path) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return nullptr;
  auto attach = reinterpret_cast<StandInAttachFn>(dlsym(module, VORENN_STAND_IN_ATTACH_SYMBOL));
  if (attach != nullptr) attach(&HostHooks());
  return module;
}

void FreeSharedLibrary(void* module) {
  if (module != nullptr) dlclose(module);
}

LibraryExport FindExport(void* module, const std::string& name) {
  if (module == nullptr || name.empty()) return {};
  int count = 0;
  const StandInExport* rows = ExportTable(module, &count);
  for (int i = 0; i < count; ++i)
    if (rows[i].name != nullptr && name == rows[i].name) return {rows[i].address, rows[i].argumentCount};
  return {dlsym(module, name.c_str()), -1};
}

LibraryExport FindOrdinal(void* module, unsigned ordinal) {
  if (module == nullptr || ordinal == 0) return {};
  int count = 0;
  const StandInExport* rows = ExportTable(module, &count);
  if (ordinal > unsigned(count)) return {};
  return {rows[ordinal - 1].address, rows[ordinal - 1].argumentCount};
}

std::string StandInFileFor(const std::string& libraryName) {
  for (const auto& lib : kSystemLibraries)
    if (strcasecmp(libraryName.c_str(), lib.name) == 0) return lib.file;
  return {};
}

}  // namespace vorenn::platform
