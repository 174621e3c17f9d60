// The program's late-bound functions: twelve rows in binding order. The engine installs this table
// (SetDllFunctionTable) at start-up; CallDllCommand binds a row by its export name on first use.
#pragma once

#include <array>

#include "engine/core/dll_call.h"

namespace vorenn {

enum WebDllRow : int {
  kRowCreateThread = 0,
  kRowMsgWaitForMultipleObjects = 1,
  kRowTerminateThread = 2,
  kRowCloseHandle = 3,
  kRowInternetOpen = 4,
  kRowInternetConnect = 5,
  kRowInternetCloseHandle = 6,
  kRowHttpOpenRequest = 7,
  kRowHttpSendRequest = 8,
  kRowInternetReadFile = 9,
  kRowHttpQueryInfo = 10,
  kRowInternetSetCookie = 11,
  kWebDllRowCount = 12,
};

// The rows with null caches, fresh for each call (a table binds once and keeps its caches).
std::array<DllFunctionRow, kWebDllRowCount> MakeWebDllRows();

}  // namespace vorenn
