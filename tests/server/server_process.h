// The server program as a child process on a loopback port, for tests that kill it.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vorenn::server::test {

class ServerProcess {
 public:
  // `extra` options follow the usual ones (a later option wins over an earlier one).
  ServerProcess(const std::string& db, int port, int threads, const std::vector<std::string>& extra = {});
  ~ServerProcess() { Kill(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Waits up to ten seconds for the server to answer; false at once if it exited (port taken).
  bool Ready();
  // Posts `body`; the parsed answer, or a null value when no JSON answer came back.
  nlohmann::json Post(const std::string& body);
  // SIGKILL, then reaps the process. Safe to call twice.
  void Kill();
  // SIGTERM, then waits up to `seconds` for the process to end: its exit status, or -1 when it was
  // still running (it is then killed).
  int Terminate(double seconds);
  int port() const { return port_; }

 private:
  int port_;
  pid_t pid_ = -1;
};

// Starts the server on `db` on a free port; a port can be taken by someone else before the server
// binds it, so up to three ports are tried. Null when none worked.
std::unique_ptr<ServerProcess> StartServer(const std::string& db, int threads = 8,
                                           const std::vector<std::string>& extra = {});

// A loopback port that was free a moment ago.
int FreeLoopbackPort();

}  // namespace vorenn::server::test
