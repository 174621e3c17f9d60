#include "engine/core/library_table.h"

#include "engine/core/runtime_value.h"

namespace vorenn {
namespace {
std::span<const LibraryDescriptor> g_libraries;
}

void SetLibraryTable(std::span<const LibraryDescriptor> libraries) { g_libraries = libraries; }
std::span<const LibraryDescriptor> LibraryTable() { return g_libraries; }

void NotifyLibraries(int code, intptr_t arg1, intptr_t arg2) {
  for (const LibraryDescriptor& lib : g_libraries)
    if (lib.notify != nullptr) lib.notify(code, arg1, arg2);
}

const TypeDescriptor* ResolveDataType(uint32_t typeCode) {
  if (!IsLibraryType(typeCode)) return nullptr;
  uint32_t lib = LibraryOf(typeCode);
  uint32_t type = TypeIndexOf(typeCode);
  if (lib == 0 || lib > g_libraries.size() || type == 0) return nullptr;
  const LibraryDescriptor& d = g_libraries[lib - 1];
  if (d.types == nullptr || type > uint32_t(d.typeCount)) return nullptr;
  return &d.types[type - 1];
}

}  // namespace vorenn
