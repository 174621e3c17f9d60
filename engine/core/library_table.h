// The library table: the six libraries in their fixed order (1 core, 2 encoding conversion,
// 3 extended units 2, 4 numeric, 5 extended units 1, 6 data structures). The program's main
// assembles it; the engine never includes a library's headers.
#pragma once

#include <cstdint>
#include <span>

#include "engine/core/library.h"
#include "engine/core/type_descriptor.h"

namespace vorenn {

constexpr int kLibraryCount = 6;

// Installs the table (the descriptors must outlive the program's run). Not copied.
void SetLibraryTable(std::span<const LibraryDescriptor> libraries);
std::span<const LibraryDescriptor> LibraryTable();

// Calls each library's notify function with (code, arg1, arg2) in library order; libraries
// without one are skipped.
void NotifyLibraries(int code, intptr_t arg1, intptr_t arg2);

// Data-type code 0x00LLTTTT -> type TTTT of library LL (both from 1); null for a basic type, a
// program-defined type, or a library or type number beyond the table.
const TypeDescriptor* ResolveDataType(uint32_t typeCode);

}  // namespace vorenn
