// Inside the internet stand-in: the handle objects, their registry, the cookie store and the
// transfer of one request over libcurl.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/stand_ins/internet_api.h"

namespace vorenn::internet {

void SetLastError(DWORD error);
DWORD LastError();

// ---- handles -------------------------------------------------------------------------------------

enum class HandleKind { Session, Connection, Request };

// A handle object lives as long as someone holds it: the registry until it is closed, and every call
// that is working on it. Closing marks it, and everything opened under it, as closed.
struct Handle {
  explicit Handle(HandleKind k) : kind(k) {}
  virtual ~Handle() = default;
  // Called once, under the registry lock, when the handle or one of its parents is closed.
  virtual void OnClosed() {}

  const HandleKind kind;
  std::atomic<bool> closed{false};
  std::vector<std::weak_ptr<Handle>> children;  // guarded by the registry lock
};

struct Session : Handle {
  Session() : Handle(HandleKind::Session) {}
  std::optional<std::string> agent;
  std::optional<std::string> proxy;  // "http://host:port" when the session goes through a proxy
};

struct Connection : Handle {
  Connection() : Handle(HandleKind::Connection) {}
  std::shared_ptr<Session> session;
  std::string host;
  uint16_t port = 80;
  std::optional<std::string> userName;
  std::optional<std::string> password;
};

class Transfer;

struct Request : Handle {
  Request();
  ~Request() override;
  void OnClosed() override;

  std::shared_ptr<Connection> connection;
  std::string verb;
  std::string path;
  bool http10 = false;
  bool secure = false;                   // INTERNET_FLAG_SECURE: https, certificate verified
  std::vector<std::string> openHeaders;  // from the referrer and accept types given at opening
  std::mutex callLock;                   // one API call at a time works on the transfer
  std::unique_ptr<Transfer> transfer;    // created at sending, guarded by callLock
  CURLM* multi = nullptr;                // made at opening so that a closer can wake it
};

// Registers h under parent (null for a session). Null when the parent is closed meanwhile.
HINTERNET RegisterHandle(const std::shared_ptr<Handle>& h, const std::shared_ptr<Handle>& parent);
// The live object of a handle value, or null (unknown, closed, or another kind).
std::shared_ptr<Handle> FindHandle(HINTERNET value, HandleKind kind);
// Removes the handle and the ones opened under it; false when it is unknown or already closed.
bool CloseHandleValue(HINTERNET value);

// ---- cookies -------------------------------------------------------------------------------------

// Stores a cookie for url; false for a url without a host, a domain that does not cover the host, or
// an oversized cookie. An expiry in the past removes the cookie.
bool SetCookie(std::string_view url, const char* name, std::string_view data);
// The value of the Cookie header for a request to host and path, or "" when no cookie applies.
// secure says whether the request goes over TLS: only then are secure cookies sent.
std::string CookieHeaderFor(std::string_view host, std::string_view path, bool secure);

// ---- trust --------------------------------------------------------------------------------------

// Makes easy verify the server's certificate and host name against the system's authorities and
// those of the file SSL_CERT_FILE or CURL_CA_BUNDLE names. The bundle returned (null when the
// system's store alone is used) must outlive the transfer.
std::shared_ptr<const std::string> ApplyTrust(CURL* easy);

// ---- transfer ------------------------------------------------------------------------------------

// One exchange over the request's multi handle, driven by the API calls on the calling thread.
class Transfer {
 public:
  Transfer(Request& request, CURLM* multi);
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  // Sets the exchange up and runs it until the answer's headers are in. False with an error number
  // recorded when no answer arrived.
  bool Start(std::string_view headerText, const void* body, size_t bodyLength);
  // Copies up to size body bytes into out. nullopt when the transfer broke off and nothing is left.
  std::optional<size_t> Read(void* out, size_t size);
  bool HaveHeaders() const { return statusCode_ != 0; }
  const std::string& RawHeaders() const { return headers_; }
  long StatusCode() const { return statusCode_; }

 private:
  bool Configure(std::string_view headerText, const void* body, size_t bodyLength);
  // Drives libcurl until done() holds or the transfer ends; false when it was cancelled.
  template <typename Done>
  bool Pump(Done done);
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);

  Request& request_;
  CURLM* multi_;
  CURL* easy_ = nullptr;
  curl_slist* headerList_ = nullptr;
  std::shared_ptr<const std::string> trustBundle_;
  std::string requestTarget_;
  std::string url_;
  std::string postData_;
  std::string headers_;        // raw header block of the latest answer, CRLF line ends
  bool headersComplete_ = false;
  long statusCode_ = 0;
  std::string pending_;        // body bytes received and not yet read
  size_t pendingOffset_ = 0;
  bool added_ = false;
  bool finished_ = false;
  CURLcode result_ = CURLE_OK;
};

// Upper bound for the raw header block of one answer; a larger block breaks the transfer off.
constexpr size_t kMaxHeaderBlock = 1 << 20;

}  // namespace vorenn::internet
