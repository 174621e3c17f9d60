// The engine's library callback: how libraries and their units reach the engine, handed to every
// library with notify code 1 at start-up. (code, argument 1, argument 2) -> answer; -1 for a code
// nobody knows.
#pragma once

#include <cstdint>

#include "engine/core/library.h"

namespace vorenn {

enum LibraryCallbackCode : int {
  kCallbackLoadedWindows = 1001,   // -> the table of loaded windows (extension)
  kCallbackTypeDescriptor = 1002,  // arg1 data-type code -> const TypeDescriptor* or 0
  kCallbackWindowDestroyed = 2000, // arg1 native handle of a loaded window that was destroyed
  kCallbackCreateFont = 2007,      // (extension)
  kCallbackRaiseEvent = 2008,      // (extension)
  kCallbackLoadBegin = 2009,       // events suppressed while a window loads
  kCallbackLoadEnd = 2010,
  kCallbackAllocBlock = 2024,      // arg1 size -> block
  kCallbackFreeBlock = 2027,       // arg1 block
  kCallbackRaiseEventWithResult = 2031,  // (extension)
};

intptr_t EngineLibraryCallback(int code, intptr_t arg1, intptr_t arg2);

// The unit contract answers the codes marked "extension" (and sees 2000 before the window is
// discarded here). An extension answers -1 for codes it does not know.
void SetLibraryCallbackExtension(LibraryCallback extension);

}  // namespace vorenn
