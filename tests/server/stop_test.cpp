// SIGTERM while clients hold connections open and drip bytes: the server still ends, cleanly and
// within a bounded time, and the slow connections are closed rather than waited for.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "tests/server/raw_client.h"
#include "tests/server/server_process.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

TEST(GracefulStop, SigtermEndsTheServerWhileSlowClientsDrip) {
  TempDir dir;
  auto server = StartServer("sqlite:" + (dir.path() / "g.db").string());
  ASSERT_TRUE(server);
  HeaderDrip drip(server->port(), 24, std::chrono::milliseconds(300), 2);
  ASSERT_EQ(drip.fds().size(), 24u);
  // An honest request is answered while they drip.
  EXPECT_TRUE(server->Post("m=user&a=xin&md5=0").is_object());
  // The bound is generous; the server's own grace for requests in hand is four seconds.
  int status = server->Terminate(15);
  drip.Stop();
  EXPECT_EQ(status, 0) << "-1: still running after SIGTERM";
  for (int fd : drip.fds()) {
    char byte;
    EXPECT_LE(recv(fd, &byte, 1, 0), 0);
    close(fd);
  }
}

// Passes everything through; account look-ups announce themselves and then take half a second, so a
// request can be caught while the server works on it.
class SlowLookups final : public Storage {
 public:
  explicit SlowLookups(Storage& inner) : inner_(inner) {}
  std::promise<void> entered;

  CreateOutcome CreateAccount(std::string_view u, std::string_view h, std::string_view e, int64_t now) override {
    return inner_.CreateAccount(u, h, e, now);
  }
  std::optional<Account> FindAccount(std::string_view username) override {
    if (!announced_.exchange(true)) entered.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return inner_.FindAccount(username);
  }
  void ReplacePassword(int64_t id, std::string_view h) override { inner_.ReplacePassword(id, h); }
  void UpgradePasswordHash(int64_t id, std::string_view o, std::string_view n) override {
    inner_.UpgradePasswordHash(id, o, n);
  }
  void AddSession(std::string_view t, int64_t id, int64_t now, int64_t idle) override {
    inner_.AddSession(t, id, now, idle);
  }
  std::optional<int64_t> UseSession(std::string_view t, int64_t now, int64_t idle) override {
    return inner_.UseSession(t, now, idle);
  }
  CreateOutcome CreateCharacter(int64_t id, std::string_view name, int64_t now) override {
    return inner_.CreateCharacter(id, name, now);
  }
  std::optional<Character> UpdateCharacter(int64_t id, const CharacterChange& change) override {
    return inner_.UpdateCharacter(id, change);
  }
  std::vector<RankEntry> TopByRate(int limit) override { return inner_.TopByRate(limit); }

 private:
  Storage& inner_;
  std::atomic<bool> announced_{false};
};

TEST(GracefulStop, ARequestAlreadyReadIsAnsweredBeforeTheServerEnds) {
  StorageKit kit("sqlite");
  SlowLookups storage(*kit.storage);
  ManualClock clock(1'700'000'000);
  GameService service(storage, clock, TestServer::LightSettings());
  HttpServer http(service, TestServer::OpenHttp());
  int port = http.Bind();
  ASSERT_GT(port, 0);
  std::thread serving([&] { http.Run(); });
  auto answer = std::async(std::launch::async, [port] {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(15);
    auto result = client.Post("/game/do.php", "m=login&a=register&username=late&password=secret1",
                              "application/x-www-form-urlencoded");
    return result ? result->body : std::string();
  });
  storage.entered.get_future().wait();
  http.Stop();
  serving.join();
  std::string body = answer.get();
  EXPECT_EQ(nlohmann::json::parse(body, nullptr, false).value("b", ""), "1") << body;
  EXPECT_TRUE(kit.storage->FindAccount("late").has_value());
}

}  // namespace
}  // namespace vorenn::server::test
