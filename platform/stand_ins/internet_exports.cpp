// The exported internet functions of the stand-in, with the shapes and results a Windows programmer
// expects, and the export table through which the DLL service binds them by name or ordinal.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/stand_ins/internet_internal.h"
#include "platform/stand_ins/stand_in.h"

namespace vorenn::internet {
namespace {

std::once_flag g_curlInit;

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// A host name made of letters, digits, '-', '.' and '_' only: anything else could bend the address
// that is built from it.
bool ValidHost(std::string_view host) {
  if (host.empty()) return false;
  return std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
  });
}

bool ValidVerb(std::string_view verb) {
  return !verb.empty() && std::all_of(verb.begin(), verb.end(), [](char c) {
    return c > ' ' && c < 0x7F && c != '(' && c != ')' && c != ':' && c != '/';
  });
}

// Blanks and control bytes are escaped so the path stays one token of the request line.
std::string EscapePath(std::string_view object) {
  std::string path = object.empty() || object.front() != '/' ? "/" : "";
  for (char c : object) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      path += '%';
      path += kHex[u >> 4];
      path += kHex[u & 15];
    } else {
      path += c;
    }
  }
  return path;
}

// The "http" entry of a proxy list such as "http=host:8080 ftp=other:21", or an entry for every
// scheme ("host:8080"), as a libcurl proxy address.
std::optional<std::string> HttpProxyOf(const char* list) {
  if (list == nullptr) return std::nullopt;
  std::string_view rest(list);
  std::optional<std::string> any;
  while (!rest.empty()) {
    size_t start = rest.find_first_not_of(" ;\t");
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    size_t end = rest.find_first_of(" ;\t");
    std::string_view entry = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    size_t eq = entry.find('=');
    std::string_view address = eq == std::string_view::npos ? entry : entry.substr(eq + 1);
    if (address.empty() || HasLineBreak(address)) continue;
    std::string full = address.find("://") == std::string_view::npos ? "http://" + std::string(address)
                                                                      : std::string(address);
    if (eq == std::string_view::npos) {
      if (!any) any = full;
    } else {
      std::string scheme(entry.substr(0, eq));
      for (char& c : scheme) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (scheme == "http") return full;
    }
  }
  return any;
}

template <typename T>
std::shared_ptr<T> Find(HINTERNET h, HandleKind kind) {
  auto found = std::static_pointer_cast<T>(FindHandle(h, kind));
  if (!found) SetLastError(ERROR_INVALID_HANDLE);
  return found;
}

}  // namespace
}  // namespace vorenn::internet

using namespace vorenn::internet;

#define VORENN_EXPORT __attribute__((visibility("default")))

extern "C" {

VORENN_EXPORT HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxy,
                                      const char* /*proxyBypass*/, DWORD /*flags*/) {
  std::call_once(g_curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  auto session = std::make_shared<Session>();
  if (agent != nullptr) {
    if (HasLineBreak(agent)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    session->agent = agent;
  }
  if (accessType == INTERNET_OPEN_TYPE_PROXY) {
    session->proxy = HttpProxyOf(proxy);
    if (!session->proxy) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  }
  return RegisterHandle(session, nullptr);
}

VORENN_EXPORT HINTERNET InternetConnectA(HINTERNET internet, const char* serverName,
                                         INTERNET_PORT port, const char* userName,
                                         const char* password, DWORD service, DWORD /*flags*/,
                                         DWORD_PTR /*context*/) {
  auto session = Find<Session>(internet, HandleKind::Session);
  if (!session) return nullptr;
  if (serverName == nullptr || !ValidHost(serverName) || service != INTERNET_SERVICE_HTTP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto conn = std::make_shared<Connection>();
  conn->session = session;
  conn->host = serverName;
  conn->port = port;  // 0: the default of the request's scheme, 80 or 443
  if (userName != nullptr) conn->userName = userName;
  if (password != nullptr) conn->password = password;
  HINTERNET h = RegisterHandle(conn, session);
  if (h == nullptr) SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
  return h;
}

VORENN_EXPORT HINTERNET HttpOpenRequestA(HINTERNET connect, const char* verb,
                                         const char* objectName, const char* version,
                                         const char* referrer, const char** acceptTypes,
                                         DWORD flags, DWORD_PTR /*context*/) {
  auto conn = Find<Connection>(connect, HandleKind::Connection);
  if (!conn) return nullptr;
  std::string_view verbText = verb == nullptr || *verb == '\0' ? "GET" : verb;
  std::string_view object = objectName == nullptr ? "" : objectName;
  if (!ValidVerb(verbText) || HasLineBreak(object) || (referrer && HasLineBreak(referrer))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto request = std::make_shared<Request>();
  request->connection = conn;
  request->verb = verbText;
  request->path = EscapePath(object);
  request->http10 = version != nullptr && std::strcmp(version, "HTTP/1.0") == 0;
  request->secure = (flags & INTERNET_FLAG_SECURE) != 0;
  if (referrer != nullptr && *referrer != '\0') {
    request->openHeaders.push_back(std::string("Referer: ") + referrer);
  }
  if (acceptTypes != nullptr && acceptTypes[0] != nullptr) {
    std::string accept = "Accept: ";
    for (int i = 0; acceptTypes[i] != nullptr; ++i) {
      if (HasLineBreak(acceptTypes[i])) continue;
      accept += (i > 0 ? ", " : "") + std::string(acceptTypes[i]);
    }
    request->openHeaders.push_back(accept);
  }
  HINTERNET h = RegisterHandle(request, conn);
  if (h == nullptr) SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
  return h;
}

VORENN_EXPORT BOOL HttpSendRequestA(HINTERNET request, const char* headers, DWORD headersLength,
                                    void* optional, DWORD optionalLength) {
  auto req = Find<Request>(request, HandleKind::Request);
  if (!req) return 0;
  std::string_view headerText;
  if (headers != nullptr) {
    headerText = headersLength == DWORD(-1) ? std::string_view(headers)
                                            : std::string_view(headers, headersLength);
    headerText = headerText.substr(0, headerText.find('\0'));
  }
  std::lock_guard lock(req->callLock);
  req->transfer.reset();
  req->transfer = std::make_unique<Transfer>(*req, req->multi);
  return req->transfer->Start(headerText, optional, optional ? optionalLength : 0) ? 1 : 0;
}

VORENN_EXPORT BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) {
  if (read == nullptr || (buffer == nullptr && toRead > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  *read = 0;
  auto req = Find<Request>(file, HandleKind::Request);
  if (!req) return 0;
  std::lock_guard lock(req->callLock);
  if (!req->transfer) {
    SetLastError(ERROR_INTERNET_CONNECTION_ABORTED);
    return 0;
  }
  std::optional<size_t> n = req->transfer->Read(buffer, toRead);
  if (!n) return 0;
  *read = DWORD(*n);
  return 1;
}

VORENN_EXPORT BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* length,
                                  DWORD* /*index*/) {
  if (length == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto req = Find<Request>(request, HandleKind::Request);
  if (!req) return 0;
  std::lock_guard lock(req->callLock);
  if (!req->transfer || !req->transfer->HaveHeaders()) {
    SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
    return 0;
  }
  const Transfer& t = *req->transfer;
  DWORD level = infoLevel & 0xFFFF;
  if (level == HTTP_QUERY_STATUS_CODE && (infoLevel & HTTP_QUERY_FLAG_NUMBER) != 0) {
    if (buffer == nullptr || *length < sizeof(DWORD)) {
      *length = sizeof(DWORD);
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    DWORD status = DWORD(t.StatusCode());
    std::memcpy(buffer, &status, sizeof status);
    *length = sizeof status;
    return 1;
  }
  std::string text;
  if (level == HTTP_QUERY_RAW_HEADERS_CRLF) {
    text = t.RawHeaders();
  } else if (level == HTTP_QUERY_RAW_HEADERS) {
    std::string_view block = t.RawHeaders();
    for (size_t end; (end = block.find("\r\n")) != std::string_view::npos && end > 0;) {
      text.append(block.substr(0, end));
      text += '\0';
      block.remove_prefix(end + 2);
    }
    text += '\0';
  } else if (level == HTTP_QUERY_STATUS_CODE) {
    text = std::to_string(t.StatusCode());
  } else {
    SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
    return 0;
  }
  if (buffer == nullptr || *length < text.size() + 1) {
    *length = DWORD(text.size() + 1);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, text.data(), text.size());
  static_cast<char*>(buffer)[text.size()] = '\0';
  *length = DWORD(text.size());
  return 1;
}

VORENN_EXPORT BOOL InternetSetCookieA(const char* url, const char* name, const char* data) {
  if (url == nullptr || data == nullptr || !SetCookie(url, name, data)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return 1;
}

VORENN_EXPORT BOOL InternetCloseHandle(HINTERNET handle) {
  if (!CloseHandleValue(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return 1;
}

VORENN_EXPORT DWORD InternetLastError() { return LastError(); }

// Row i is ordinal i + 1.
VORENN_EXPORT const StandInExport* vorenn_stand_in_exports(int* count) {
  static const StandInExport kExports[] = {
      {"InternetOpenA", reinterpret_cast<void*>(&InternetOpenA), 5},
      {"InternetConnectA", reinterpret_cast<void*>(&InternetConnectA), 8},
      {"HttpOpenRequestA", reinterpret_cast<void*>(&HttpOpenRequestA), 8},
      {"HttpSendRequestA", reinterpret_cast<void*>(&HttpSendRequestA), 5},
      {"InternetReadFile", reinterpret_cast<void*>(&InternetReadFile), 4},
      {"HttpQueryInfoA", reinterpret_cast<void*>(&HttpQueryInfoA), 5},
      {"InternetSetCookieA", reinterpret_cast<void*>(&InternetSetCookieA), 3},
      {"InternetCloseHandle", reinterpret_cast<void*>(&InternetCloseHandle), 1},
      {"InternetLastError", reinterpret_cast<void*>(&InternetLastError), 0},
  };
  if (count != nullptr) *count = int(sizeof kExports / sizeof kExports[0]);
  return kExports;
}
}
