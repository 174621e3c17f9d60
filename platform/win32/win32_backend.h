// The backend for the Windows program: one native window per unit, standard controls, GDI
// painting, the COMCTL32 list view, message boxes and the notification area, all through the
// W functions with texts converted from GBK at this edge.
#pragma once

namespace vorenn::platform {

// Installs the Win32 backend as the program's backend. The window icon is the program's icon
// resource (id 1).
void InstallWin32Backend();

}  // namespace vorenn::platform
