// Typed calls of the program's late-bound functions, each through CallDllCommand with exactly the
// argument types of the function it binds.
#pragma once

#include "web/internal/internet_types.h"
#include "web/web_dll_rows.h"

namespace vorenn::bound {

using HANDLE = void*;
using ThreadStart = DWORD (*)(void*);

constexpr DWORD kWaitObject0 = 0;
constexpr DWORD kWaitTimeout = 258;
constexpr DWORD kWaitFailed = 0xFFFFFFFF;
constexpr DWORD kQsAllInput = 0x4BF;

inline HANDLE CreateThread(ThreadStart start, void* parameter, DWORD* threadId) {
  return CallDllCommand<HANDLE>(kRowCreateThread, static_cast<void*>(nullptr), uintptr_t(0), start,
                                parameter, DWORD(0), threadId);
}
inline DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask) {
  return CallDllCommand<DWORD>(kRowMsgWaitForMultipleObjects, count, handles, waitAll, milliseconds,
                               wakeMask);
}
inline BOOL TerminateThread(HANDLE thread, DWORD exitCode) {
  return CallDllCommand<BOOL>(kRowTerminateThread, thread, exitCode);
}
inline BOOL CloseHandle(HANDLE object) { return CallDllCommand<BOOL>(kRowCloseHandle, object); }

inline HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxy) {
  return CallDllCommand<HINTERNET>(kRowInternetOpen, agent, accessType, proxy,
                                   static_cast<const char*>(nullptr), DWORD(0));
}
inline HINTERNET InternetConnectA(HINTERNET internet, const char* host, INTERNET_PORT port,
                                  const char* userName, const char* password) {
  return CallDllCommand<HINTERNET>(kRowInternetConnect, internet, host, port, userName, password,
                                   INTERNET_SERVICE_HTTP, DWORD(0), DWORD_PTR(0));
}
inline BOOL InternetCloseHandle(HINTERNET handle) {
  return CallDllCommand<BOOL>(kRowInternetCloseHandle, handle);
}
inline HINTERNET HttpOpenRequestA(HINTERNET connect, const char* verb, const char* path, DWORD flags) {
  return CallDllCommand<HINTERNET>(kRowHttpOpenRequest, connect, verb, path, "HTTP/1.1",
                                   static_cast<const char*>(nullptr),
                                   static_cast<const char**>(nullptr), flags, DWORD_PTR(0));
}
inline BOOL HttpSendRequestA(HINTERNET request, const char* headers, DWORD headersLength,
                             void* optional, DWORD optionalLength) {
  return CallDllCommand<BOOL>(kRowHttpSendRequest, request, headers, headersLength, optional,
                              optionalLength);
}
inline BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) {
  return CallDllCommand<BOOL>(kRowInternetReadFile, file, buffer, toRead, read);
}
inline BOOL HttpQueryInfoA(HINTERNET request, DWORD level, void* buffer, DWORD* length) {
  return CallDllCommand<BOOL>(kRowHttpQueryInfo, request, level, buffer, length,
                              static_cast<DWORD*>(nullptr));
}
inline BOOL InternetSetCookieA(const char* url, const char* name, const char* data) {
  return CallDllCommand<BOOL>(kRowInternetSetCookie, url, name, data);
}

}  // namespace vorenn::bound
