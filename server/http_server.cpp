#include "server/http_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace vorenn::server {

namespace {

constexpr const char* kJson = "application/json";

// The kernel caps this at net.core.somaxconn.
constexpr int kAcceptQueue = 4096;

// The packaged library is compiled with an accept queue of 5, whatever this program defines. A
// burst of connecting players fills it; the kernel then answers further handshakes with SYN cookies
// and drops the final ACK of those it has no room for, and when the client's request arrives it no
// longer matches a cookie: the connection is reset before any answer. Listening again on the bound
// socket widens the queue.
class WideQueueServer final : public httplib::Server {
 public:
  bool WidenAcceptQueue() {
    socket_t listening = svr_sock_;
    return listening != INVALID_SOCKET && ::listen(listening, kAcceptQueue) == 0;
  }
};

std::string QueryOf(const std::string& target) {
  size_t mark = target.find('?');
  return mark == std::string::npos ? std::string() : target.substr(mark + 1);
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

}  // namespace

HttpServer::HttpServer(GameService& service, HttpSettings settings)
    : service_(service), settings_(std::move(settings)), http_(std::make_unique<WideQueueServer>()) {
  int threads = settings_.threads < 1 ? 1 : settings_.threads;
  http_->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  http_->set_payload_max_length(settings_.maxBodyBytes);
  http_->set_keep_alive_max_count(1000);
  // Header and body go out in separate writes; without this, Nagle and delayed ACKs stall answers.
  http_->set_tcp_nodelay(true);
  // A slow or silent client holds a serving thread; do not let it hold one for long.
  http_->set_read_timeout(10);

  auto play = [this](const httplib::Request& req, httplib::Response& res) {
    auto started = std::chrono::steady_clock::now();
    FormFields fields;
    std::string answer;
    // The library applies its body limit to declared lengths only; a chunked body can exceed it.
    if (req.body.size() > settings_.maxBodyBytes) {
      res.status = 413;
      answer = Failure("0", "请求内容过大");
    } else if (!ParseFormInto(req.body, fields) || !ParseFormInto(QueryOf(req.target), fields)) {
      // Body fields come first, so they win over query fields of the same name.
      answer = Failure("0", "请求格式错误");
    } else {
      answer = service_.Handle(fields);
    }
    res.set_content(answer, kJson);
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - started;
    Log(ActionName(fields), GameService::ResultCode(answer), spent.count());
  };
  http_->Post("/game/do.php", play);
  http_->Get("/game/do.php", play);

  http_->set_error_handler([this](const httplib::Request& req, httplib::Response& res) {
    const char* message = "请求失败";
    if (res.status == 413) message = "请求内容过大";
    else if (res.status == 404) message = "未知的请求";
    else if (res.status == 400) message = "请求格式错误";
    res.set_content(Failure("0", message), kJson);
    Log(req.path.empty() ? "-" : "http", std::to_string(res.status), 0);
  });
  // Handlers catch their own failures; this is the last line so that nothing ever answers 500.
  http_->set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        res.status = 200;
        res.set_content(Failure("-3", "服务器繁忙，请稍后再试"), kJson);
      });
}

HttpServer::~HttpServer() { Stop(); }

int HttpServer::Bind() {
  int port = settings_.port == 0 ? http_->bind_to_any_port(settings_.host)
             : http_->bind_to_port(settings_.host, settings_.port) ? settings_.port : -1;
  if (port > 0 && !static_cast<WideQueueServer&>(*http_).WidenAcceptQueue()) {
    std::fprintf(stderr, "vorenn-server: cannot widen the accept queue: %s\n", std::strerror(errno));
  }
  return port;
}

bool HttpServer::Run() {
  running_ = true;
  if (stopping_) return true;
  bool served = http_->listen_after_bind();
  running_ = false;
  return served;
}

bool HttpServer::IsServing() const { return http_->is_running(); }

void HttpServer::Stop() {
  stopping_ = true;
  // A Run that has begun but not yet entered its accept loop would miss the stop; wait for it.
  for (int i = 0; i < 5000 && running_ && !http_->is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  http_->stop();
}

void HttpServer::Log(const std::string& action, const std::string& code, double milliseconds) const {
  if (!settings_.logRequests) return;
  std::string when = FormatTimestamp(SystemClock().NowSeconds());
  std::fprintf(stderr, "%s %s %s %.1fms\n", when.c_str(), action.c_str(), code.c_str(), milliseconds);
}

}  // namespace vorenn::server
