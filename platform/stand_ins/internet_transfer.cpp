// One HTTP exchange of the internet stand-in over libcurl's multi interface, driven step by step
// from the calling thread: sending runs until the answer's headers are in, each read runs until body
// bytes are waiting. libcurl sends only what the caller's header text holds plus the request line,
// Host, User-Agent, the stored cookies and the framing of the body: its own Accept, Content-Type,
// Expect and Proxy-Connection lines are removed.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "platform/stand_ins/internet_internal.h"

namespace vorenn::internet {
namespace {

std::string LowerName(std::string_view line) {
  std::string name(line.substr(0, line.find(':')));
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

DWORD ErrorFor(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
      return ERROR_INTERNET_TIMEOUT;
    case CURLE_ABORTED_BY_CALLBACK:
      return ERROR_INTERNET_OPERATION_CANCELLED;
    case CURLE_URL_MALFORMAT:
      return ERROR_INTERNET_INVALID_URL;
    case CURLE_PEER_FAILED_VERIFICATION:
      return ERROR_INTERNET_INVALID_CA;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
      return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WRITE_ERROR:  // the header block outgrew its bound
      return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    default:
      return ERROR_INTERNET_CONNECTION_ABORTED;
  }
}

}  // namespace

Request::Request() : Handle(HandleKind::Request), multi(curl_multi_init()) {}

Request::~Request() {
  transfer.reset();
  if (multi != nullptr) curl_multi_cleanup(multi);
}

void Request::OnClosed() {
  // Interrupts a transfer that another thread is waiting in; it sees `closed` and gives up.
  if (multi != nullptr) curl_multi_wakeup(multi);
}

Transfer::Transfer(Request& request, CURLM* multi) : request_(request), multi_(multi) {}

Transfer::~Transfer() {
  if (added_) curl_multi_remove_handle(multi_, easy_);
  if (easy_ != nullptr) curl_easy_cleanup(easy_);
  curl_slist_free_all(headerList_);
}

bool Transfer::Configure(std::string_view headerText, const void* body, size_t bodyLength) {
  easy_ = curl_easy_init();
  if (easy_ == nullptr || multi_ == nullptr) return false;
  const Connection& conn = *request_.connection;
  const Session& session = *conn.session;
  const bool secure = request_.secure;
  const uint16_t defaultPort = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  const uint16_t port = conn.port != 0 ? conn.port : defaultPort;
  std::string authority = conn.host;
  if (port != defaultPort) authority += ":" + std::to_string(port);
  const char* scheme = secure ? "https://" : "http://";
  url_ = scheme + authority + "/";
  // Through a proxy a plain request line carries the absolute address; a TLS request goes through
  // a tunnel the proxy cannot read, with the path alone.
  requestTarget_ = session.proxy && !secure ? "http://" + authority + request_.path : request_.path;

  std::set<std::string> present;
  auto add = [&](const std::string& line) {
    present.insert(LowerName(line));
    headerList_ = curl_slist_append(headerList_, line.c_str());
  };
  while (!headerText.empty()) {
    size_t end = headerText.find('\n');
    std::string line(headerText.substr(0, end));
    headerText.remove_prefix(end == std::string_view::npos ? headerText.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find(':') == std::string::npos) continue;
    // libcurl reads "Name:" as "remove Name"; "Name;" is its spelling of an empty header.
    if (line.find_first_not_of(" \t", line.find(':') + 1) == std::string::npos) {
      line = line.substr(0, line.find(':')) + ";";
    }
    add(line);
  }
  for (const std::string& line : request_.openHeaders) {
    if (!present.contains(LowerName(line))) add(line);
  }
  for (const char* own : {"Accept", "Content-Type", "Expect", "Proxy-Connection"}) {
    std::string name(own);
    std::string lower = LowerName(name);
    if (!present.contains(lower)) headerList_ = curl_slist_append(headerList_, (name + ":").c_str());
  }
  std::string cookies = CookieHeaderFor(conn.host, request_.path, secure);
  if (!cookies.empty() && !present.contains("cookie")) add("Cookie: " + cookies);

  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, secure ? "https" : "http");
  if (secure) trustBundle_ = ApplyTrust(easy_);
  curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
  curl_easy_setopt(easy_, CURLOPT_REQUEST_TARGET, requestTarget_.c_str());
  curl_easy_setopt(easy_, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, request_.verb.c_str());
  std::string upperVerb = request_.verb;
  for (char& c : upperVerb) c = char(std::toupper(static_cast<unsigned char>(c)));
  if (upperVerb == "HEAD") curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION,
                   request_.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  // An empty proxy also keeps libcurl from taking one from the environment.
  curl_easy_setopt(easy_, CURLOPT_PROXY, session.proxy ? session.proxy->c_str() : "");
  if (session.agent) curl_easy_setopt(easy_, CURLOPT_USERAGENT, session.agent->c_str());
  if (conn.userName) {
    // Two schemes make libcurl wait for the server's challenge before it sends credentials.
    curl_easy_setopt(easy_, CURLOPT_USERNAME, conn.userName->c_str());
    curl_easy_setopt(easy_, CURLOPT_PASSWORD, conn.password ? conn.password->c_str() : "");
    curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC | CURLAUTH_DIGEST));
  }
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  if (body != nullptr && bodyLength > 0) {
    postData_.assign(static_cast<const char*>(body), bodyLength);
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, postData_.data());
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(postData_.size()));
  }
  return true;
}

template <typename Done>
bool Transfer::Pump(Done done) {
  while (!finished_) {
    if (request_.closed) {
      finished_ = true;
      result_ = CURLE_ABORTED_BY_CALLBACK;
      return false;
    }
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) {
      finished_ = true;
      result_ = CURLE_FAILED_INIT;
      break;
    }
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
      if (msg->msg == CURLMSG_DONE) {
        finished_ = true;
        result_ = msg->data.result;
      }
    }
    if (finished_ || done()) break;
    curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
  }
  return true;
}

bool Transfer::Start(std::string_view headerText, const void* body, size_t bodyLength) {
  if (!Configure(headerText, body, bodyLength)) {
    finished_ = true;
    result_ = CURLE_FAILED_INIT;
    SetLastError(ERROR_INTERNET_CONNECTION_ABORTED);
    return false;
  }
  curl_multi_add_handle(multi_, easy_);
  added_ = true;
  Pump([this] { return headersComplete_; });
  if (headersComplete_) return true;
  SetLastError(ErrorFor(finished_ ? result_ : CURLE_RECV_ERROR));
  return false;
}

std::optional<size_t> Transfer::Read(void* out, size_t size) {
  if (pendingOffset_ == pending_.size() && !finished_) {
    Pump([this] { return pendingOffset_ < pending_.size(); });
  }
  size_t available = pending_.size() - pendingOffset_;
  if (available == 0) {
    if (finished_ && result_ != CURLE_OK) {
      SetLastError(ErrorFor(result_));
      return std::nullopt;
    }
    return 0;
  }
  size_t n = std::min(size, available);
  std::memcpy(out, pending_.data() + pendingOffset_, n);
  pendingOffset_ += n;
  if (pendingOffset_ == pending_.size()) {
    pending_.clear();
    pendingOffset_ = 0;
  }
  return n;
}

size_t Transfer::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto& t = *static_cast<Transfer*>(self);
  size_t n = size * count;
  std::string_view line(data, n);
  if (line.starts_with("HTTP/")) {
    // A new answer (after 1xx, or the retry after an authentication challenge) replaces the block.
    t.headers_.clear();
    t.headersComplete_ = false;
    size_t space = line.find(' ');
    t.statusCode_ = space == std::string_view::npos ? 0 : std::atol(std::string(line.substr(space + 1, 3)).c_str());
  } else if (t.headersComplete_) {
    return n;  // trailers of a chunked body are not part of the header block
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (t.headers_.size() + line.size() + 2 > kMaxHeaderBlock) return 0;
  t.headers_.append(line);
  t.headers_ += "\r\n";
  if (line.empty() && t.statusCode_ >= 200) t.headersComplete_ = true;
  return n;
}

size_t Transfer::OnBody(char* data, size_t size, size_t count, void* self) {
  auto& t = *static_cast<Transfer*>(self);
  t.pending_.append(data, size * count);
  return size * count;
}

}  // namespace vorenn::internet
