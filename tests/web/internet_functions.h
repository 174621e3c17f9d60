// The internet stand-in loaded the way the program loads it, for tests that call it directly.
#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "platform/stand_ins/internet_api.h"

namespace vorenn::testing {

struct InternetFunctions {
  InternetOpenAFn open;
  InternetConnectAFn connect;
  HttpOpenRequestAFn openRequest;
  HttpSendRequestAFn send;
  InternetReadFileFn read;
  HttpQueryInfoAFn query;
  InternetSetCookieAFn setCookie;
  InternetCloseHandleFn close;
  InternetLastErrorFn lastError;
};

// Loads the stand-in built beside the tests (VORENN_WININET_PATH) once per process.
inline const InternetFunctions& Internet() {
  static const InternetFunctions functions = [] {
    void* module = dlopen(VORENN_WININET_PATH, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) throw std::runtime_error(std::string("cannot load stand-in: ") + dlerror());
    auto get = [&](const char* name) {
      void* address = dlsym(module, name);
      if (address == nullptr) throw std::runtime_error(std::string("missing export ") + name);
      return address;
    };
    InternetFunctions f;
    f.open = reinterpret_cast<InternetOpenAFn>(get("InternetOpenA"));
    f.connect = reinterpret_cast<InternetConnectAFn>(get("InternetConnectA"));
    f.openRequest = reinterpret_cast<HttpOpenRequestAFn>(get("HttpOpenRequestA"));
    f.send = reinterpret_cast<HttpSendRequestAFn>(get("HttpSendRequestA"));
    f.read = reinterpret_cast<InternetReadFileFn>(get("InternetReadFile"));
    f.query = reinterpret_cast<HttpQueryInfoAFn>(get("HttpQueryInfoA"));
    f.setCookie = reinterpret_cast<InternetSetCookieAFn>(get("InternetSetCookieA"));
    f.close = reinterpret_cast<InternetCloseHandleFn>(get("InternetCloseHandle"));
    f.lastError = reinterpret_cast<InternetLastErrorFn>(get("InternetLastError"));
    return f;
  }();
  return functions;
}

// One request's three handles, closed innermost first.
struct OpenedRequest {
  HINTERNET session = nullptr, connection = nullptr, request = nullptr;
  ~OpenedRequest() {
    const InternetFunctions& f = Internet();
    if (request) f.close(request);
    if (connection) f.close(connection);
    if (session) f.close(session);
  }
};

// Everything the answer delivered: whether sending worked, the body read until a read gave 0 or
// failed, whether the last read failed, and the raw header block (empty when the query failed).
struct Exchange {
  bool sent = false;
  std::string body;
  bool readFailed = false;
  std::string headers;
};

inline Exchange RunExchange(HINTERNET request, const std::string& headers, const std::string& body = "") {
  const InternetFunctions& f = Internet();
  Exchange e;
  e.sent = f.send(request, headers.c_str(), DWORD(headers.size()),
                  body.empty() ? nullptr : const_cast<char*>(body.data()), DWORD(body.size())) != 0;
  for (;;) {
    char chunk[512];
    DWORD got = 0;
    if (!f.read(request, chunk, sizeof chunk, &got)) {
      e.readFailed = true;
      break;
    }
    if (got == 0) break;
    e.body.append(chunk, got);
  }
  DWORD length = 0;
  if (!f.query(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &length, nullptr) && length > 0) {
    std::string buffer(length, '\0');
    if (f.query(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length, nullptr)) {
      e.headers = buffer.substr(0, length);
    }
  }
  return e;
}

}  // namespace vorenn::testing
