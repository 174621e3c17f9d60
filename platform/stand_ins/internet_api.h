// The internet functions as a Windows programmer calls them, provided by the internet stand-in
// (libvorenn_wininet.so) and bound by export name at run time. Callers include this header for the
// types, function shapes and constants only; they never link the stand-in.
//
// Handles are opaque pointers that are never reused: a stale or closed handle makes every function
// fail instead of touching freed memory. Closing a handle closes the handles opened under it and
// cancels a transfer that another thread is running on them.
#pragma once

#include <cstdint>

extern "C" {

using HINTERNET = void*;
using BOOL = int;
using DWORD = uint32_t;
using DWORD_PTR = uintptr_t;
using INTERNET_PORT = uint16_t;

// InternetOpenA access types.
constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

constexpr DWORD INTERNET_SERVICE_HTTP = 3;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;
constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000u;
// HttpOpenRequestA: the request goes over TLS; the server's certificate must be valid for the
// connection's host name and issued by an authority the system trusts.
constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000u;

// HttpQueryInfoA levels and modifier.
constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_RAW_HEADERS = 21;       // lines separated by NUL, ending in two NULs
constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;  // lines ending in CRLF, then an empty line
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000u;

// Error numbers the stand-in records for the calling thread (see InternetLastError below).
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;
constexpr DWORD ERROR_INTERNET_INVALID_CA = 12045;
constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;

// Null on failure.
using InternetOpenAFn = HINTERNET (*)(const char* agent, DWORD accessType, const char* proxy,
                                      const char* proxyBypass, DWORD flags);
// Null on failure (bad parent handle, empty server name, a service other than HTTP).
using InternetConnectAFn = HINTERNET (*)(HINTERNET internet, const char* serverName,
                                         INTERNET_PORT port, const char* userName,
                                         const char* password, DWORD service, DWORD flags,
                                         DWORD_PTR context);
// verb null means "GET"; objectName null means "/". Null on failure.
using HttpOpenRequestAFn = HINTERNET (*)(HINTERNET connect, const char* verb,
                                         const char* objectName, const char* version,
                                         const char* referrer, const char** acceptTypes,
                                         DWORD flags, DWORD_PTR context);
// Sends the request and returns once the answer's status line and headers have arrived. headers
// are CRLF-separated lines (length DWORD(-1): up to the terminating zero). FALSE when no answer
// arrived (cannot connect, garbage, closed early, cancelled).
using HttpSendRequestAFn = BOOL (*)(HINTERNET request, const char* headers, DWORD headersLength,
                                    void* optional, DWORD optionalLength);
// Copies up to toRead body bytes. TRUE with a count of 0 at the regular end of the body; FALSE with
// a count of 0 when the transfer broke off (the bytes before the break were delivered first).
using InternetReadFileFn = BOOL (*)(HINTERNET file, void* buffer, DWORD toRead, DWORD* read);
// When the buffer is too small: FALSE, ERROR_INSUFFICIENT_BUFFER, and *length receives the size
// needed in bytes, terminating zero included. On success *length is the text length without it.
using HttpQueryInfoAFn = BOOL (*)(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* length,
                                  DWORD* index);
// Stores a cookie for the host of url ("http://host[:port][/path]" or "https://..."). With name
// null, data is "name=value[; attributes]". Attributes path, domain, expires, max-age and secure are
// honoured; an expiry in the past removes the cookie, and a secure cookie is taken only from an
// https url and sent only over TLS. Later requests to that host send it.
using InternetSetCookieAFn = BOOL (*)(const char* url, const char* name, const char* data);
// FALSE for an unknown or already closed handle.
using InternetCloseHandleFn = BOOL (*)(HINTERNET handle);

// The error number of the last failing stand-in call on this thread (0 after none). Exported for
// tests and diagnostics; Windows code would read it with GetLastError.
using InternetLastErrorFn = DWORD (*)();
}
