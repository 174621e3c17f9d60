#include "tests/server/server_process.h"

#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace vorenn::server::test {

int FreeLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

ServerProcess::ServerProcess(const std::string& db, int port, int threads, const std::vector<std::string>& extra)
    : port_(port) {
  std::vector<std::string> args = {VORENN_SERVER_BIN, "--listen", "127.0.0.1:" + std::to_string(port), "--db", db,
                                   "--quiet", "--threads", std::to_string(threads), "--unthrottled", "127.0.0.1",
                                   "--max-per-address", "4096"};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    if (!freopen("/dev/null", "w", stderr)) _exit(126);
    execv(VORENN_SERVER_BIN, argv.data());
    _exit(127);
  }
}

bool ServerProcess::Ready() {
  for (int i = 0; i < 200; ++i) {
    if (Post("m=x&a=y").is_object()) return true;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

nlohmann::json ServerProcess::Post(const std::string& body) {
  httplib::Client client("127.0.0.1", port_);
  client.set_connection_timeout(2);
  client.set_read_timeout(10);
  auto result = client.Post("/game/do.php", body, "application/x-www-form-urlencoded");
  if (!result) return nullptr;
  return nlohmann::json::parse(result->body, nullptr, false);
}

void ServerProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

int ServerProcess::Terminate(double seconds) {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Kill();
  return -1;
}

std::unique_ptr<ServerProcess> StartServer(const std::string& db, int threads, const std::vector<std::string>& extra) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto server = std::make_unique<ServerProcess>(db, FreeLoopbackPort(), threads, extra);
    if (server->Ready()) return server;
  }
  return nullptr;
}

}  // namespace vorenn::server::test
