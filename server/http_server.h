// The game's HTTP face: POST (or GET) /game/do.php with form fields in the body and the query
// string, one JSON answer per request. Anything else gets a JSON failure answer too, with a 4xx
// status; the server never answers 500. One log line per request goes to standard error.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include "server/game_service.h"

namespace httplib {
class Server;
}

namespace vorenn::server {

struct HttpSettings {
  std::string host = "127.0.0.1";
  int port = 8573;  // 0 picks a free port
  size_t maxBodyBytes = 64 * 1024;
  int threads = 16;
  bool logRequests = true;
};

class HttpServer {
 public:
  HttpServer(GameService& service, HttpSettings settings);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds the listening socket; returns the port, or -1 when the address cannot be bound.
  int Bind();
  // Serves until Stop; returns false when serving failed.
  bool Run();
  // Safe to call from another thread, also before Run has started.
  void Stop();
  // True once Run accepts connections.
  bool IsServing() const;

 private:
  void Log(const std::string& action, const std::string& code, double milliseconds) const;

  GameService& service_;
  const HttpSettings settings_;
  std::unique_ptr<httplib::Server> http_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopping_{false};
};

}  // namespace vorenn::server
