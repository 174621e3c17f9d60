#include "web/web_dll_rows.h"

namespace vorenn {

std::array<DllFunctionRow, kWebDllRowCount> MakeWebDllRows() {
  // The thread functions come from the system libraries searched in their fixed order; the internet
  // rows name their library, one of them in its other spelling.
  return {{
      {"", "CreateThread", nullptr, nullptr, 0},
      {"", "MsgWaitForMultipleObjects", nullptr, nullptr, 0},
      {"", "TerminateThread", nullptr, nullptr, 0},
      {"", "CloseHandle", nullptr, nullptr, 0},
      {"wininet.dll", "InternetOpenA", nullptr, nullptr, 0},
      {"wininet.dll", "InternetConnectA", nullptr, nullptr, 0},
      {"WinINet.dll", "InternetCloseHandle", nullptr, nullptr, 0},
      {"wininet.dll", "HttpOpenRequestA", nullptr, nullptr, 0},
      {"wininet.dll", "HttpSendRequestA", nullptr, nullptr, 0},
      {"wininet.dll", "InternetReadFile", nullptr, nullptr, 0},
      {"wininet.dll", "HttpQueryInfoA", nullptr, nullptr, 0},
      {"wininet.dll", "InternetSetCookieA", nullptr, nullptr, 0},
  }};
}

}  // namespace vorenn
