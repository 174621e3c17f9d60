// The argument types and constants of the late-bound system functions, as the web layer calls them.
// They are the functions' published Windows shapes; the library behind them is found at run time
// (the stand-in here), so nothing of it is included.
#pragma once

#include <cstdint>

namespace vorenn {

using HINTERNET = void*;
using BOOL = int;
using DWORD = uint32_t;
using DWORD_PTR = uintptr_t;
using INTERNET_PORT = uint16_t;

constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;
constexpr DWORD INTERNET_SERVICE_HTTP = 3;
constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000u;
constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000u;  // https: TLS, with the peer verified
constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;  // lines ending in CRLF, then an empty line

}  // namespace vorenn
