// The game's HTTP face: POST (or GET) /game/do.php with form fields in the body and the query
// string, one JSON answer per request. Anything else gets a JSON failure answer too, with a 4xx
// status; the server never answers 500. One log line per request goes to standard error.
//
// Connections are read by event threads (libmicrohttpd, each thread an epoll loop over many
// connections), so a connection that sends slowly or not at all costs a socket and a little memory,
// never a thread. A request is run once its header and body have arrived: the game's short database
// actions on the event thread itself, sign-ins, registrations and password changes (which wait for
// a password hash) on a pool of workers.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "server/game_service.h"

namespace vorenn::server {

struct HttpSettings {
  std::string host = "127.0.0.1";
  int port = 8573;  // 0 picks a free port
  size_t maxBodyBytes = 64 * 1024;
  int threads = 16;  // event threads, and as many workers for requests that wait for a hash
  bool logRequests = true;
  // A connection gets this long for a whole request header (counted from its start or from the end
  // of the previous answer), and then this long again for the body; it is closed when either ends.
  int headerSeconds = 5;
  int bodySeconds = 5;
  int maxConnections = 8192;
  int maxConnectionsPerAddress = 2048;
  // The request line and the header lines together; larger ones are refused with 431.
  size_t maxHeaderBytes = 16 * 1024;
  // Requests taken in but not yet run; further ones are answered "busy" at once.
  size_t maxQueuedRequests = 4096;
  // When set, requests whose connection comes from this address are attributed to the last address
  // in their X-Forwarded-For header.
  std::string trustedProxy;
};

// A listening socket, made before anything else so that a port in use stops a server before it
// touches its database.
struct Listener {
  int fd = -1;
  int port = -1;   // the port bound (useful with port 0)
  int error = 0;   // errno when fd is -1 (EADDRINUSE: another program listens there)
};
// Binds and listens on host:port, without SO_REUSEPORT: a port in use is an error, not shared.
Listener Listen(const std::string& host, int port);

class HttpServer {
 public:
  // With a listener from Listen, the server serves on it (Bind then just reports its port);
  // otherwise Bind makes one from the settings.
  HttpServer(GameService& service, HttpSettings settings, Listener listener = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds the listening socket; returns the port, or -1 when the address cannot be bound.
  int Bind();
  // The errno of the last failed Bind (EADDRINUSE when another program listens there).
  int BindError() const;
  // Serves until Stop; returns false when serving failed.
  bool Run();
  // Safe to call from another thread, also before Run has started. Stops taking connections, closes
  // every connection that has no request in the workers, lets those requests answer (for a few
  // seconds at most) and makes Run return.
  void Stop();
  // True once Run accepts connections.
  bool IsServing() const;

  class Engine;

 private:
  std::unique_ptr<Engine> engine_;
};

}  // namespace vorenn::server
