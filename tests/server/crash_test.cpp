// A real server process killed with SIGKILL in the middle of a stream of level-ups: after a restart
// every level-up that was answered is still there.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "server/credentials.h"
#include "server/sqlite_storage.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

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

// The server program as a child process; killed when the guard goes.
class ServerProcess {
 public:
  ServerProcess(const std::string& db, int port) : port_(port) {
    std::string listen = "127.0.0.1:" + std::to_string(port);
    pid_ = fork();
    if (pid_ == 0) {
      if (!freopen("/dev/null", "w", stderr)) _exit(126);
      execl(VORENN_SERVER_BIN, VORENN_SERVER_BIN, "--listen", listen.c_str(), "--db", db.c_str(),
            "--quiet", "--threads", "8", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~ServerProcess() { Kill(); }

  // Waits up to ten seconds for the server to answer; false at once if it exited (port taken).
  bool Ready() {
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

  nlohmann::json Post(const std::string& body) {
    httplib::Client client("127.0.0.1", port_);
    client.set_connection_timeout(2);
    client.set_read_timeout(10);
    auto result = client.Post("/game/do.php", body, "application/x-www-form-urlencoded");
    if (!result) return nullptr;
    return nlohmann::json::parse(result->body, nullptr, false);
  }

  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  int port_;
  pid_t pid_ = -1;
};

// A free port can be taken by someone else before the server binds it; then try another.
std::unique_ptr<ServerProcess> StartServer(const std::string& db) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto server = std::make_unique<ServerProcess>(db, FreeLoopbackPort());
    if (server->Ready()) return server;
  }
  return nullptr;
}

Amount SpentOnSkillOne(int64_t levels) {
  Amount spent;
  for (int64_t level = 0; level < levels; ++level) spent += NextLevelPrice(*FindSkill(1), level);
  return spent;
}

TEST(CrashSafety, EveryAnsweredLevelUpSurvivesKillNine) {
  TempDir dir;
  std::string db = "sqlite:" + (dir.path() / "game.db").string();
  const Amount start("1000000000000000000000000000000", 10);
  std::string token = NewToken();
  int64_t began = SystemClock().NowSeconds();
  {
    auto storage = OpenStorage(db, 1);
    ASSERT_EQ(storage->CreateAccount("crash", "unused", "", began), CreateOutcome::Created);
    int64_t id = storage->FindAccount("crash")->id;
    ASSERT_EQ(storage->CreateCharacter(id, "crash", began), CreateOutcome::Created);
    storage->UpdateCharacter(id, [&](Character& c) {
      c.total = start;
      return true;
    });
    storage->AddSession(TokenDigest(token), id, began, 86400);
  }

  constexpr int kStreams = 4;
  std::atomic<int> answered{0};
  {
    auto started = StartServer(db);
    ASSERT_TRUE(started);
    ServerProcess& server = *started;
    std::atomic<bool> stop{false};
    std::vector<std::thread> streams;
    for (int s = 0; s < kStreams; ++s) {
      streams.emplace_back([&] {
        // Bounded: stops at the kill, after 2,000 requests, or after 20 seconds.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (int i = 0; i < 2000 && !stop && std::chrono::steady_clock::now() < deadline; ++i) {
          auto answer = server.Post("m=user&a=lvup&id=1&md5=" + token);
          if (!answer.is_object()) break;
          if (answer.value("b", "") == "1") ++answered;
        }
      });
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (answered < 60 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    server.Kill();
    stop = true;
    for (auto& t : streams) t.join();
  }
  ASSERT_GE(answered.load(), 60);

  auto restarted = StartServer(db);
  ASSERT_TRUE(restarted);
  auto info = restarted->Post("m=user&a=xin&md5=" + token);
  ASSERT_EQ(info.value("b", ""), "1");
  int64_t level = std::stoll(info["skills"][0]["lvl"].get<std::string>());
  // Each answered request is one level; a request in flight at the kill may have committed unanswered.
  EXPECT_GE(level, answered.load());
  EXPECT_LE(level, answered.load() + kStreams);
  // Nothing created or lost: what is left plus what was spent is the start plus what was earned,
  // and the earnings cannot exceed the final rate over the elapsed seconds.
  Amount earned = Amount(info["allmoney"].get<std::string>(), 10) + SpentOnSkillOne(level) - start;
  int64_t elapsed = SystemClock().NowSeconds() - began + 1;
  EXPECT_GE(earned, 0);
  EXPECT_LE(earned, Amount(info["money"].get<std::string>(), 10) * Amount(static_cast<long>(elapsed)));
}

}  // namespace
}  // namespace vorenn::server::test
