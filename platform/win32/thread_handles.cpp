#include "platform/thread_handles.h"

namespace vorenn::platform {

// Windows threads are started and waited for by the system's own CreateThread and
// MsgWaitForMultipleObjects, bound by the DLL rows; no handle of ours exists.
ThreadRef ThreadOfHandle(void*) { return nullptr; }

int OpenThreadHandleCount() { return 0; }

}  // namespace vorenn::platform
