#include "engine/templates/library_callback.h"

#include "engine/core/event_suppression.h"
#include "engine/core/library_table.h"
#include "engine/core/memory.h"
#include "engine/templates/loaded_windows.h"
#include "engine/templates/window_loader.h"

namespace vorenn {
namespace {

LibraryCallback g_extension = nullptr;

// The instance whose window this was goes away with it.
void DiscardDestroyedWindow(platform::WindowHandle handle) {
  RecordLocation where = FindRecordByHandle(handle);
  if (where.instance != nullptr && where.index == 0) UnloadWindowInstance(where.instance);
}

}  // namespace

void SetLibraryCallbackExtension(LibraryCallback extension) { g_extension = extension; }

intptr_t EngineLibraryCallback(int code, intptr_t arg1, intptr_t arg2) {
  switch (code) {
    case kCallbackTypeDescriptor:
      return reinterpret_cast<intptr_t>(ResolveDataType(uint32_t(arg1)));
    case kCallbackLoadBegin:
      SuppressEvents();
      return 0;
    case kCallbackLoadEnd:
      ResumeEvents();
      return 0;
    case kCallbackAllocBlock:
      return reinterpret_cast<intptr_t>(AllocBlock(int32_t(arg1)));
    case kCallbackFreeBlock:
      FreeBlock(reinterpret_cast<void*>(arg1));
      return 0;
    case kCallbackWindowDestroyed:
      if (g_extension != nullptr) g_extension(code, arg1, arg2);
      DiscardDestroyedWindow(platform::WindowHandle(arg1));
      LoadedWindowDestroyed(platform::WindowHandle(arg1));
      return 0;
    default:
      return g_extension != nullptr ? g_extension(code, arg1, arg2) : -1;
  }
}

}  // namespace vorenn
