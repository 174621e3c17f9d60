// Thread handles as the thread stand-in hands them out on Linux: opaque pointers that the host
// checks against its table, so a stale or made-up handle fails instead of touching freed memory.
// On Windows the handles are the system's own and none pass through here.
#pragma once

#include "platform/thread.h"

struct VorennHostHooks;

namespace vorenn::platform {

// The hooks every loaded stand-in receives (Linux).
const VorennHostHooks& HostHooks();

// The thread behind a handle, or null for a handle that is not open.
ThreadRef ThreadOfHandle(void* handle);
// Number of open thread handles (handles that were never closed leak, as they do natively). Always
// 0 on Windows, where the program's threads are the system's: a web request there waits in the
// system's own wait and has ended when the dispatch that started it returns.
int OpenThreadHandleCount();

}  // namespace vorenn::platform
