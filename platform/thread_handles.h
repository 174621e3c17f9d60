// Thread handles as the thread stand-in hands them out: opaque pointers that the host checks
// against its table, so a stale or made-up handle fails instead of touching freed memory.
#pragma once

#include "platform/stand_ins/host_hooks.h"
#include "platform/thread.h"

namespace vorenn::platform {

// The hooks every loaded stand-in receives.
const VorennHostHooks& HostHooks();

// The thread behind a handle, or null for a handle that is not open.
ThreadRef ThreadOfHandle(void* handle);
// Number of open thread handles (handles that were never closed leak, as they do natively).
int OpenThreadHandleCount();

}  // namespace vorenn::platform
