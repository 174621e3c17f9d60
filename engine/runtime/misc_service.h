// MiscService: the engine's seven miscellaneous sub-services.
#pragma once

#include <cstdint>

#include "engine/runtime/frame.h"

namespace vorenn {

enum MiscServiceNumber : int {
  kMiscFindFileNext = 0,
  kMiscFindFileClose = 1,
  kMiscMakeArrayWritable = 2,
  kMiscSetEndCallback = 3,
  kMiscReadObjectProperty = 4,
  kMiscWriteObjectProperty = 5,
  kMiscInitRuntime = 6,
};

// The answer of a sub-service that this engine does not offer (object properties of library
// objects that sit on no window: nothing in the program uses them).
constexpr intptr_t kMiscNotSupported = -1;

// File attribute bits as the file-search command knows them.
enum FileAttribute : uint32_t {
  kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04, kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
};

// One step of a file search. A non-empty pattern ("dir/*.txt"; '\' also separates) starts a new
// search (closing the one in *slot), else the search in *slot goes on. Entries whose hidden, system
// or directory bit is not in the filter (bits 0x37) are skipped; with directoriesOnly only
// directories match; "." and ".." never do. Names match the pattern without regard to case.
// Returns the name as a new text block and keeps the search in *slot, or null with *slot null
// once the search is exhausted.
char* FindFileNext(const char* pattern, uint32_t attributeFilter, bool directoriesOnly, void** slot);
void FindFileClose(void* search);

// If *array lies in the constant segment, replaces it with a heap copy of its header and elements
// (4 + 4n + elementSize * product of the n dimensions bytes); otherwise leaves it.
void MakeArrayWritable(int32_t elementSize, void** array);

// The table entry: sub-service number and up to six argument words.
intptr_t MiscService(int number, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0, intptr_t a4 = 0,
                     intptr_t a5 = 0, intptr_t a6 = 0);

}  // namespace vorenn
