// The worker's side of a request: from the request record to the answer record, over the bound
// internet functions.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "commands/text_commands.h"
#include "web/exchange_stream.h"
#include "web/internal/bound_calls.h"
#include "web/internal/exchange_guard.h"
#include "web/request_headers.h"
#include "web/url_parts.h"
#include "web/web_request.h"

namespace vorenn {
namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr std::string_view kCookiePrefix = "Set-Cookie: ";
constexpr DWORD kReadChunk = 512;
constexpr DWORD kHeaderBuffer = 1024;

// The handles opened so far, closed innermost first whichever way the worker ends.
struct OpenHandles {
  ExchangeGuard* guard = nullptr;
  HINTERNET internet = nullptr;
  HINTERNET connect = nullptr;
  HINTERNET request = nullptr;

  ~OpenHandles() { Close(); }
  void Close() {
    if (request != nullptr) bound::InternetCloseHandle(std::exchange(request, nullptr));
    if (connect != nullptr) bound::InternetCloseHandle(std::exchange(connect, nullptr));
    if (internet != nullptr) {
      if (guard != nullptr) guard->WithdrawSession();
      bound::InternetCloseHandle(std::exchange(internet, nullptr));
    }
  }
};

// Without a guard (a direct call) the stream is the worker's alone.
template <typename Use>
bool UseStream(ExchangeGuard* guard, FileNumber stream, Use use) {
  if (guard != nullptr) return guard->UseStream(use);
  use(stream);
  return true;
}

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }
const char* IfSupplied(const std::string& text) { return IsSupplied(text) ? text.c_str() : nullptr; }

// Reads the body until a read delivers nothing. False when it grows past the bound, or when a read
// fails after the send worked: the connection broke off before the declared length or the last
// chunk, and the bytes so far are no answer. After a failed send the first read fails, and the
// answer is the empty one.
bool ReadBody(HINTERNET request, bool sent, std::vector<uint8_t>& body) {
  for (;;) {
    uint8_t chunk[kReadChunk] = {};
    DWORD count = 0;
    BOOL ok = bound::InternetReadFile(request, chunk, kReadChunk, &count);
    if (!ok) return !sent;
    if (count == 0) return true;
    body.insert(body.end(), chunk, chunk + std::min(count, kReadChunk));
    if (body.size() > kMaxAnswerBody) return false;
  }
}

// The raw header block, fetched whole: when the first buffer is too small the query says how much
// is needed and is made again. Without headers the text stays the first buffer's 1024 blanks.
std::string QueryRawHeaders(HINTERNET request) {
  std::vector<char> buffer(kHeaderBuffer, ' ');
  DWORD length = kHeaderBuffer;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (bound::HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length)) {
      return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
    }
    if (length <= buffer.size()) break;
    buffer.assign(length, ' ');
  }
  return std::string(kHeaderBuffer, ' ');
}

// Hands every "Set-Cookie: " line of the header block to the cookie store for the host, under the
// scheme the answer came by ("http://" or "https://").
void CaptureCookies(std::string_view headers, std::string_view scheme, const std::string& host) {
  if (FindText(headers, kCookiePrefix, 1, CaseMode::kIgnoreAscii) < 1) return;
  std::string url = std::string(scheme) + host;
  while (!headers.empty()) {
    size_t end = headers.find('\n');
    std::string_view line = headers.substr(0, end);
    headers.remove_prefix(end == std::string_view::npos ? headers.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Only a line that is a Set-Cookie header counts; one that merely mentions it in another
    // header's value would otherwise plant a cookie made of that value.
    if (FindText(line, kCookiePrefix, 1, CaseMode::kIgnoreAscii) != 1) continue;
    std::string_view rest = line.substr(kCookiePrefix.size());
    size_t eq = rest.find('=');
    if (eq == std::string_view::npos) continue;
    std::string name(rest.substr(0, eq));
    std::string value(rest.substr(eq + 1));
    bound::InternetSetCookieA(url.c_str(), name.c_str(), value.c_str());
  }
}

}  // namespace

bool RunWebRequestWorker(FileNumber stream, ExchangeGuard* guard) {
  if (stream == 0) return false;
  std::optional<RequestRecord> req;
  auto takeRequest = [&](FileNumber s) {
    req = ReadRequestRecord(s);
    if (req) ClearStream(s);
  };
  if (!UseStream(guard, stream, takeRequest) || !req) return false;

  std::string host = UrlHost(req->url, KeepPort::No);
  std::string path = UrlPath(req->url);
  int32_t port = UrlPort(req->url);
  // A number that is no port would reach the connection cut to 16 bits, i.e. another port.
  if (port < 0 || port > 0xFFFF) return false;

  OpenHandles h;
  h.guard = guard;
  bool viaProxy = IsSupplied(req->proxy);
  std::string proxyList = "http=" + req->proxy;
  h.internet = bound::InternetOpenA(kUserAgent,
                                    viaProxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT,
                                    viaProxy ? proxyList.c_str() : nullptr);
  if (h.internet == nullptr) return false;
  if (guard != nullptr && !guard->PublishSession(h.internet)) return false;
  h.connect = bound::InternetConnectA(h.internet, host.c_str(), INTERNET_PORT(port),
                                      IfSupplied(req->userName), IfSupplied(req->password));
  if (h.connect == nullptr) return false;
  // An https address is asked for the way a Windows program asks for it: the secure flag on the
  // request, with the connection to host and port as for plain HTTP.
  DWORD openFlags = INTERNET_FLAG_RELOAD | (UrlIsSecure(req->url) ? INTERNET_FLAG_SECURE : 0);
  h.request = bound::HttpOpenRequestA(h.connect, OrNull(req->method), path.c_str(), openFlags);
  if (h.request == nullptr) return false;

  std::string headers = CompleteHeaders(req->extraHeaders, req->url);
  RequestMethod method = ClassifyMethod(req->method);
  if (method == RequestMethod::Unsupported) return false;
  void* data = nullptr;
  DWORD dataLength = 0;
  if (method == RequestMethod::Post) {
    AddPostHeaders(headers, req->body.size());
    data = req->body.empty() ? nullptr : req->body.data();
    dataLength = DWORD(req->body.size());
  }
  // A failed send is not an end of its own: the reads that follow deliver nothing.
  BOOL sent = bound::HttpSendRequestA(h.request, headers.c_str(), DWORD(headers.size()), data, dataLength);

  std::vector<uint8_t> body;
  if (!ReadBody(h.request, sent != 0, body)) return false;
  std::string rawHeaders = QueryRawHeaders(h.request);
  // An abandoned worker's transfer was cancelled: what it holds is no answer, not even headers.
  if (guard != nullptr && guard->Abandoned()) return false;
  SetLastResponseHeaders(rawHeaders);
  auto writeAnswer = [&](FileNumber s) { WriteAnswerRecord(s, rawHeaders, body); };
  if (!UseStream(guard, stream, writeAnswer)) return false;

  h.Close();
  CaptureCookies(rawHeaders, UrlSchemePrefix(req->url), host);
  return true;
}

bool WebRequestWorker(FileNumber stream) { return RunWebRequestWorker(stream, nullptr); }

}  // namespace vorenn
