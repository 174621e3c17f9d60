#include "server/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "server/internal/bounded_workers.h"
#include "server/log.h"
#include "server/metrics.h"

namespace vorenn::server {

namespace {

using Steady = std::chrono::steady_clock;

constexpr const char* kPath = "/game/do.php";
constexpr const char* kJson = "application/json";
constexpr const char* kPrometheusText = "text/plain; version=0.0.4; charset=utf-8";
constexpr const char* kBusy = "服务器繁忙，请稍后再试";

// The kernel caps this at net.core.somaxconn. A short queue overflows under a burst of connecting
// players; the kernel then answers handshakes with SYN cookies and resets the connections whose
// final ACK it dropped, before any answer.
constexpr int kAcceptQueue = 4096;

// Requests already taken in are given this long to answer when the server stops.
constexpr auto kStopGrace = std::chrono::milliseconds(4000);

// libmicrohttpd stops everything on what it takes for an internal fault. One of them is a race of
// its own: when a daemon with a pool of epoll threads is quiesced, a thread that wakes in time
// takes the listening socket out of its epoll set itself, and the quiescing call, finding it gone
// (ENOENT), calls that a fault although the socket is out of the set as both wanted. That one is
// let pass; every other fault still ends the process as the library's own handler would.
void OnLibraryFault(void*, const char* file, unsigned int line, const char* reason) {
  const int error = errno;
  if (error == ENOENT && reason != nullptr && std::strstr(reason, "remove listen FD from epoll set") != nullptr) {
    LogLine(LogLevel::Warning, "libmicrohttpd: the listening socket had already left an epoll set while stopping");
    return;
  }
  std::fprintf(stderr, "Fatal error in GNU libmicrohttpd %s:%u: %s\n", file ? file : "?", line, reason ? reason : "");
  std::abort();
}

// "m/a" for the log, limited to tame characters so a hostile request cannot forge log lines.
std::string ActionName(const FormFields& fields) {
  std::string name;
  for (const char* key : {"m", "a"}) {
    auto it = fields.find(key);
    std::string part = it == fields.end() ? "-" : it->second.substr(0, 16);
    for (char& c : part) {
      if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) c = '?';
    }
    if (!name.empty()) name += '/';
    name += part;
  }
  return name;
}

std::string AddressText(const sockaddr* address) {
  char text[INET6_ADDRSTRLEN] = "?";
  if (address && address->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  } else if (address && address->sa_family == AF_INET6) {
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text, sizeof text);
  }
  return text;
}

// The last address of an X-Forwarded-For list (the one the trusted proxy itself added), if it is a
// well-formed address.
std::string ForwardedAddress(const char* header) {
  if (!header) return "";
  std::string_view list(header);
  size_t comma = list.rfind(',');
  std::string_view last = comma == std::string_view::npos ? list : list.substr(comma + 1);
  while (!last.empty() && last.front() == ' ') last.remove_prefix(1);
  while (!last.empty() && last.back() == ' ') last.remove_suffix(1);
  std::string candidate(last);
  unsigned char buffer[sizeof(in6_addr)];
  if (inet_pton(AF_INET, candidate.c_str(), buffer) == 1 || inet_pton(AF_INET6, candidate.c_str(), buffer) == 1) {
    return candidate;
  }
  return "";
}

// Requests that wait for something slow (a password hash, a commit's sync): run on the workers.
bool WaitsLong(const FormFields& fields) {
  auto m = fields.find("m");
  if (m == fields.end()) return false;
  if (m->second == "login") return true;
  auto a = fields.find("a");
  return m->second == "user" && a != fields.end() && a->second == "lvup";
}

}  // namespace

Listener Listen(const std::string& host, int port) {
  Listener listener;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
    listener.error = EADDRNOTAVAIL;
    return listener;
  }
  for (addrinfo* at = found; at && listener.fd < 0; at = at->ai_next) {
    int fd = socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
    if (fd < 0) continue;
    // SO_REUSEADDR only lets a restarted server take the port over from connections still closing;
    // without SO_REUSEPORT a second server on a port in use fails here instead of sharing it.
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, at->ai_addr, at->ai_addrlen) == 0 && listen(fd, kAcceptQueue) == 0) {
      sockaddr_storage local{};
      socklen_t length = sizeof local;
      getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
      listener.port = ntohs(local.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&local)->sin6_port
                                                        : reinterpret_cast<sockaddr_in*>(&local)->sin_port);
      listener.fd = fd;
    } else {
      listener.error = errno;
      close(fd);
    }
  }
  freeaddrinfo(found);
  return listener;
}

// One TCP connection, from accept to close. Guarded by Engine::linksMutex_.
struct Link {
  enum class Phase { Header, Body, Working, Answering };
  int fd = -1;
  std::string peer;  // the socket's address
  std::string uri;   // the raw target of the request being read, as sent
  Phase phase = Phase::Header;
  Steady::time_point phaseStart = Steady::now();
  bool cut = false;
};

// One request on a connection, from its header to its answer.
struct Request {
  std::string uri;
  std::string client;
  std::string body;
  std::string action = "-";
  bool tooLarge = false;
  Steady::time_point started = Steady::now();
  bool answerReady = false;  // set by a worker under Engine::linksMutex_
  std::string answer;
  // Set instead of `answer` when the request finished on the store's thread: the event thread
  // makes the answer, so that thread only hands the result over.
  GameService::MakeAnswer makeAnswer;
};

class HttpServer::Engine {
 public:
  Engine(GameService& service, HttpSettings settings, Listener listener)
      : service_(service),
        settings_(std::move(settings)),
        listenFd_(listener.fd),
        bound_(listener.port),
        workers_(settings_.threads, settings_.maxQueuedRequests) {}

  ~Engine() {
    RequestStop();
    if (listenFd_ >= 0 && !daemon_) close(listenFd_);
    // Requests handed to the store call back into this engine: they all have, before it goes.
    std::unique_lock lock(linksMutex_);
    laterDone_.wait(lock, [this] { return later_ == 0; });
  }

  int Bind();
  int BindError() const { return bindError_; }
  bool Run();
  void RequestStop() {
    std::lock_guard lock(stopMutex_);
    stopRequested_ = true;
    stopSignal_.notify_all();
  }
  bool IsServing() const { return serving_; }

 private:
  static Link* LinkOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<Link*>(info->socket_context) : nullptr;
  }

  void SetPhase(Link* link, Link::Phase phase) {
    if (!link) return;
    std::lock_guard lock(linksMutex_);
    link->phase = phase;
    link->phaseStart = Steady::now();
  }

  static void OnConnection(void* cls, MHD_Connection* connection, void** context,
                           MHD_ConnectionNotificationCode code) {
    auto* self = static_cast<Engine*>(cls);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      auto* link = new Link;
      const MHD_ConnectionInfo* fd = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      const MHD_ConnectionInfo* peer = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
      link->fd = fd ? fd->connect_fd : -1;
      link->peer = AddressText(peer ? peer->client_addr : nullptr);
      std::lock_guard lock(self->linksMutex_);
      self->links_.insert(link);
      *context = link;
    } else {
      auto* link = static_cast<Link*>(*context);
      if (!link) return;
      std::lock_guard lock(self->linksMutex_);
      self->links_.erase(link);
      delete link;
      *context = nullptr;
    }
  }

  static void* OnUri(void* cls, const char* uri, MHD_Connection* connection) {
    auto* self = static_cast<Engine*>(cls);
    if (Link* link = LinkOf(connection)) {
      std::lock_guard lock(self->linksMutex_);
      link->uri = uri ? uri : "";
    }
    return nullptr;
  }

  static void OnCompleted(void* cls, MHD_Connection* connection, void** context,
                          MHD_RequestTerminationCode) {
    auto* self = static_cast<Engine*>(cls);
    delete static_cast<Request*>(*context);
    *context = nullptr;
    self->SetPhase(LinkOf(connection), Link::Phase::Header);
  }

  static MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                              const char*, const char* upload, size_t* uploadSize, void** context) {
    return static_cast<Engine*>(cls)->Serve(connection, url, method, upload, uploadSize, context);
  }

  MHD_Result Serve(MHD_Connection* connection, const char* url, const char* method, const char* upload,
                   size_t* uploadSize, void** context);
  MHD_Result Answer(MHD_Connection* connection, Request& request, unsigned status, const std::string& body,
                    bool close, const char* contentType = kJson);
  // GET /health and GET /metrics, for operators and their monitoring.
  MHD_Result ServeOperations(MHD_Connection* connection, Request& request, const std::string& path);
  std::string ClientOf(MHD_Connection* connection, const std::string& peer) const;
  void Work(MHD_Connection* connection, Request* request, FormFields fields, std::string client);
  void Reap(bool stopping);
  bool Drained();
  void Log(const Request& request, unsigned status, const std::string& code, double seconds) const;

  GameService& service_;
  const HttpSettings settings_;
  int listenFd_ = -1;
  int bound_ = -1;
  int bindError_ = 0;
  MHD_Daemon* daemon_ = nullptr;
  std::atomic<bool> serving_{false};

  std::mutex linksMutex_;
  std::unordered_set<Link*> links_;
  bool abandoned_ = false;  // set once the daemon is about to go: workers drop their answers
  std::atomic<int> working_{0};
  int later_ = 0;  // requests the store has yet to call back for, guarded by linksMutex_
  std::condition_variable laterDone_;

  std::mutex stopMutex_;
  std::condition_variable stopSignal_;
  bool stopRequested_ = false;
  std::atomic<bool> stopping_{false};

  internal::BoundedWorkers workers_;
  Metrics metrics_;
};

int HttpServer::Engine::Bind() {
  if (listenFd_ < 0) {
    Listener listener = Listen(settings_.host, settings_.port);
    listenFd_ = listener.fd;
    bindError_ = listener.error;
    bound_ = listener.port;
  }
  return listenFd_ < 0 ? -1 : bound_;
}

bool HttpServer::Engine::Run() {
  {
    std::lock_guard lock(stopMutex_);
    if (stopRequested_) return true;
  }
  if (listenFd_ < 0) return false;
  static std::once_flag faultHandler;
  std::call_once(faultHandler, [] { MHD_set_panic_func(&OnLibraryFault, nullptr); });
  unsigned inactivity = static_cast<unsigned>(settings_.headerSeconds + settings_.bodySeconds);
  daemon_ = MHD_start_daemon(
      MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME, 0, nullptr, nullptr, &OnRequest, this,
      MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(settings_.threads < 1 ? 1 : settings_.threads),
      MHD_OPTION_LISTEN_SOCKET, listenFd_,
      MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(settings_.maxConnections),
      MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<unsigned>(settings_.maxConnectionsPerAddress),
      MHD_OPTION_CONNECTION_TIMEOUT, inactivity,
      // The request line, the header lines and their index live in this per-connection pool; a
      // header that does not fit is answered 431.
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(settings_.maxHeaderBytes * 2),
      MHD_OPTION_NOTIFY_CONNECTION, &OnConnection, this,
      MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted, this,
      MHD_OPTION_URI_LOG_CALLBACK, &OnUri, this,
      MHD_OPTION_END);
  if (!daemon_) {
    LogLine(LogLevel::Error, "the HTTP engine did not start");
    return false;
  }
  serving_ = true;
  {
    std::unique_lock lock(stopMutex_);
    while (!stopRequested_) {
      stopSignal_.wait_for(lock, std::chrono::milliseconds(250));
      lock.unlock();
      Reap(false);
      lock.lock();
    }
  }
  // Stop: no new connections; connections without a request in the workers go at once; the others
  // get their answers, for a bounded time.
  stopping_ = true;
  MHD_quiesce_daemon(daemon_);
  auto deadline = Steady::now() + kStopGrace;
  while (Steady::now() < deadline) {
    Reap(true);
    if (Drained()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  {
    std::lock_guard lock(linksMutex_);
    abandoned_ = true;
  }
  MHD_stop_daemon(daemon_);
  close(listenFd_);
  listenFd_ = -1;
  serving_ = false;
  return true;
}

// Cuts connections past their time: shutting the socket down makes the event thread see its end
// and close it there. When stopping, every connection without a request in hand goes.
void HttpServer::Engine::Reap(bool stopping) {
  auto now = Steady::now();
  auto header = std::chrono::seconds(settings_.headerSeconds);
  auto body = std::chrono::seconds(settings_.bodySeconds);
  std::lock_guard lock(linksMutex_);
  for (Link* link : links_) {
    if (link->cut || link->fd < 0) continue;
    bool late = false;
    switch (link->phase) {
      case Link::Phase::Header: late = stopping || now - link->phaseStart > header; break;
      case Link::Phase::Body: late = stopping || now - link->phaseStart > body; break;
      case Link::Phase::Working: break;
      case Link::Phase::Answering: late = now - link->phaseStart > header; break;
    }
    if (late) {
      shutdown(link->fd, SHUT_RDWR);
      link->cut = true;
    }
  }
}

bool HttpServer::Engine::Drained() {
  std::lock_guard lock(linksMutex_);
  for (Link* link : links_) {
    if (!link->cut && (link->phase == Link::Phase::Working || link->phase == Link::Phase::Answering)) {
      return false;
    }
  }
  return working_ == 0;
}

std::string HttpServer::Engine::ClientOf(MHD_Connection* connection, const std::string& peer) const {
  if (settings_.trustedProxy.empty() || peer != settings_.trustedProxy) return peer;
  std::string forwarded =
      ForwardedAddress(MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Forwarded-For"));
  return forwarded.empty() ? peer : forwarded;
}

MHD_Result HttpServer::Engine::Serve(MHD_Connection* connection, const char* url, const char* method,
                                     const char* upload, size_t* uploadSize, void** context) {
  Link* link = LinkOf(connection);
  auto* request = static_cast<Request*>(*context);
  if (!request) {
    // The header is complete.
    request = new Request;
    *context = request;
    if (link) {
      std::lock_guard lock(linksMutex_);
      request->uri = std::move(link->uri);
      link->uri.clear();
      request->client = ClientOf(connection, link->peer);
    }
    SetPhase(link, Link::Phase::Body);
    if (std::strcmp(method, "GET") == 0 && (std::strcmp(url, "/health") == 0 || std::strcmp(url, "/metrics") == 0)) {
      return ServeOperations(connection, *request, url);
    }
    bool known = (std::strcmp(method, "POST") == 0 || std::strcmp(method, "GET") == 0) &&
                 std::strcmp(url, kPath) == 0;
    if (!known) return Answer(connection, *request, 404, Failure("0", "未知的请求"), true);
    const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
    if (length && std::strtoull(length, nullptr, 10) > settings_.maxBodyBytes) {
      return Answer(connection, *request, 413, Failure("0", "请求内容过大"), true);
    }
    return MHD_YES;
  }
  if (*uploadSize != 0) {
    // Counted as it streams in, chunked or not: a long body is refused at the limit, not read whole.
    if (request->tooLarge || request->body.size() + *uploadSize > settings_.maxBodyBytes) {
      // The engine cannot answer while it hands over body data; the rest is dropped as it comes
      // and the refusal goes out when the body ends, or the connection is cut at the body's time.
      request->tooLarge = true;
      request->body.clear();
      request->body.shrink_to_fit();
      *uploadSize = 0;
      return MHD_YES;
    }
    request->body.append(upload, *uploadSize);
    *uploadSize = 0;
    return MHD_YES;
  }
  if (request->tooLarge) return Answer(connection, *request, 413, Failure("0", "请求内容过大"), true);
  bool ready = false;
  GameService::MakeAnswer make;
  {
    std::lock_guard lock(linksMutex_);
    ready = request->answerReady;
    make = std::move(request->makeAnswer);
  }
  if (ready) {
    if (make) request->answer = make();
    return Answer(connection, *request, 200, request->answer, stopping_);
  }

  FormFields fields;
  std::string query;
  size_t mark = request->uri.find('?');
  if (mark != std::string::npos) query = request->uri.substr(mark + 1);
  // Body fields come first, so they win over query fields of the same name.
  bool wellFormed = ParseFormInto(request->body, fields) && ParseFormInto(query, fields);
  request->action = ActionName(fields);
  if (!wellFormed) return Answer(connection, *request, 200, Failure("0", "请求格式错误"), false);

  // Level-ups on a store that commits on its own thread are handed to it: the connection waits,
  // suspended, and the store's thread resumes it once the change is on disk. Connections share
  // event threads, so one waiting here would hold back the others, and level-ups on them would
  // miss the commit they could have joined.
  if (service_.FinishesLater(fields)) {
    SetPhase(link, Link::Phase::Working);
    ++working_;
    {
      std::lock_guard lock(linksMutex_);
      ++later_;
    }
    MHD_suspend_connection(connection);
    service_.HandleLater(fields, request->client, [this, connection, request](GameService::MakeAnswer make) {
      std::lock_guard lock(linksMutex_);
      if (!abandoned_) {
        request->makeAnswer = std::move(make);
        request->answerReady = true;
        MHD_resume_connection(connection);
      }
      --working_;
      if (--later_ == 0) laterDone_.notify_all();
    });
    return MHD_YES;
  }
  // The game's reads are short database transactions: they run here, on the event thread that
  // read them, which saves two thread switches per request. Sign-ins, registrations and password
  // changes wait for a password hash, and level-ups on other stores for their commit, so they go
  // to the workers and this thread serves its other connections meanwhile.
  if (!WaitsLong(fields)) {
    return Answer(connection, *request, 200, service_.Handle(fields, request->client), stopping_);
  }
  SetPhase(link, Link::Phase::Working);
  ++working_;
  MHD_suspend_connection(connection);
  std::string client = request->client;
  if (!workers_.TrySubmit([this, connection, request, fields = std::move(fields), client]() mutable {
        Work(connection, request, std::move(fields), std::move(client));
      })) {
    std::lock_guard lock(linksMutex_);
    request->answer = Failure("0", kBusy);
    request->answerReady = true;
    --working_;
    MHD_resume_connection(connection);
  }
  return MHD_YES;
}

void HttpServer::Engine::Work(MHD_Connection* connection, Request* request, FormFields fields,
                              std::string client) {
  std::string answer = service_.Handle(fields, client);
  std::lock_guard lock(linksMutex_);
  // Once the daemon is going, the connection and the request may be gone: the answer is dropped.
  if (!abandoned_) {
    request->answer = std::move(answer);
    request->answerReady = true;
    MHD_resume_connection(connection);
  }
  --working_;
}

MHD_Result HttpServer::Engine::ServeOperations(MHD_Connection* connection, Request& request,
                                               const std::string& path) {
  if (path == "/health") {
    request.action = "health";
    bool reachable = service_.DatabaseReachable();
    std::string body = reachable ? R"({"status":"ok","database":"reachable"})"
                                 : R"({"status":"unavailable","database":"unreachable"})";
    return Answer(connection, request, reachable ? 200 : 503, body, stopping_);
  }
  request.action = "metrics";
  Metrics::Gauges gauges;
  {
    std::lock_guard lock(linksMutex_);
    gauges.openConnections = static_cast<int64_t>(links_.size());
  }
  gauges.hashQueue = static_cast<int64_t>(service_.HashQueue());
  gauges.requestsWaiting = static_cast<int64_t>(workers_.Queued());
  return Answer(connection, request, 200, metrics_.Render(gauges), stopping_, kPrometheusText);
}

MHD_Result HttpServer::Engine::Answer(MHD_Connection* connection, Request& request, unsigned status,
                                      const std::string& body, bool close, const char* contentType) {
  MHD_Response* response = MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()),
                                                            MHD_RESPMEM_MUST_COPY);
  if (!response) return MHD_NO;
  MHD_add_response_header(response, "Content-Type", contentType);
  if (close) MHD_add_response_header(response, "Connection", "close");
  MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  SetPhase(LinkOf(connection), Link::Phase::Answering);
  std::string code = contentType == kJson ? GameService::ResultCode(body) : "-";
  if (request.action == "health") code = status == 200 ? "1" : "0";
  if (request.action == "metrics") code = "1";
  std::chrono::duration<double> spent = Steady::now() - request.started;
  metrics_.CountRequest(request.action, status, code, spent.count());
  Log(request, status, code, spent.count());
  return queued;
}

void HttpServer::Engine::Log(const Request& request, unsigned status, const std::string& code,
                              double seconds) const {
  if (!settings_.logRequests) return;
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.1f", seconds * 1000);
  // Busy answers and refused requests are worth a look; the game's own refusals ("0") are not.
  LogLevel level = status >= 400 || code == "-3" ? LogLevel::Warning : LogLevel::Info;
  LogLine(level, "client=" + LogValue(request.client) + " action=" + LogValue(request.action) +
                     " status=" + std::to_string(status) + " code=" + LogValue(code) + " ms=" + ms);
}

HttpServer::HttpServer(GameService& service, HttpSettings settings, Listener listener)
    : engine_(std::make_unique<Engine>(service, std::move(settings), listener)) {}

HttpServer::~HttpServer() = default;

int HttpServer::Bind() { return engine_->Bind(); }

int HttpServer::BindError() const { return engine_->BindError(); }

bool HttpServer::Run() { return engine_->Run(); }

void HttpServer::Stop() { engine_->RequestStop(); }

bool HttpServer::IsServing() const { return engine_->IsServing(); }

}  // namespace vorenn::server
