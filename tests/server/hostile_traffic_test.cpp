// Traffic meant to hurt the server: connections that send slowly or not at all, endless bodies and
// headers, floods of registrations and password guesses. Honest requests must still be answered,
// memory must stay bounded, and the owner of an attacked account must still sign in. Attackers
// come from 127.0.0.2, honest players from 127.0.0.1 or 127.0.0.3.
//
// VORENN_HOSTILE_LONG=1 (scripts/reliability) runs the longer forms: more connections, longer drips
// and larger floods.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <poll.h>
#include <sqlite3.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/server/raw_client.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

bool LongForm() {
  const char* value = std::getenv("VORENN_HOSTILE_LONG");
  return value && *value && *value != '0';
}

std::string Code(const std::string& body) {
  auto json = nlohmann::json::parse(body, nullptr, false);
  return json.is_object() ? json.value("b", "") : "";
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// Short deadlines so that cut connections show within the test; the real caps otherwise.
HttpSettings GuardedHttp() {
  HttpSettings http;
  http.port = 0;
  http.logRequests = false;
  http.headerSeconds = 2;
  http.bodySeconds = 2;
  return http;
}

// The per-address limits in force (nobody exempt), at the light hash cost.
GameSettings ThrottledSettings() {
  GameSettings settings = TestServer::LightSettings();
  settings.unthrottled.clear();
  return settings;
}

TEST(HostileTraffic, SlowHeadersHoldNoServingThreadAndAreCutAtTheirDeadline) {
  TestServer server("sqlite", TestServer::LightSettings(), GuardedHttp());
  const int slowCount = LongForm() ? 60 : 20;  // more than the server's 16 workers
  const int seconds = LongForm() ? 20 : 5;
  HeaderDrip drip(server.port, slowCount, std::chrono::milliseconds(700), 1);
  ASSERT_EQ(int(drip.fds().size()), slowCount);
  int probes = 0;
  int answered = 0;
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    ++probes;
    if (Code(PostFrom(server.port, "127.0.0.1", "m=user&a=xin&md5=0")) == "-2") ++answered;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  drip.Stop();
  EXPECT_EQ(answered, probes) << "honest requests went unanswered while slow clients dripped";
  // Each slow header ran past its deadline, so each connection was closed by the server.
  int closed = 0;
  for (int fd : drip.fds()) {
    char byte;
    if (recv(fd, &byte, 1, 0) <= 0 && errno != EAGAIN) ++closed;
    close(fd);
  }
  EXPECT_EQ(closed, slowCount);
}

TEST(HostileTraffic, AThousandSilentConnectionsDoNotStopHonestRequests) {
  TestServer server("sqlite", TestServer::LightSettings(), GuardedHttp());
  const int count = LongForm() ? 3000 : 1000;
  std::vector<int> silent;
  for (int i = 0; i < count; ++i) {
    int fd = ConnectFrom(server.port, "127.0.0.2", 1);
    if (fd >= 0) silent.push_back(fd);
  }
  EXPECT_GT(silent.size(), 0u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Code(PostFrom(server.port, "127.0.0.1", "m=user&a=xin&md5=0")), "-2") << "probe " << i;
  }
  for (int fd : silent) close(fd);
}

TEST(HostileTraffic, EndlessBodiesAndHeadersAreRefusedWithoutFillingMemory) {
  TestServer server("sqlite", TestServer::LightSettings(), GuardedHttp());
  const size_t floodBytes = (LongForm() ? 512u : 64u) << 20;
  long before = ResidentKiB();
  auto chunked = [&] {
    int fd = ConnectFrom(server.port, "127.0.0.2");
    std::string head = "POST /game/do.php HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n";
    send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    std::string chunk = "10000\r\n" + std::string(0x10000, 'a') + "\r\n";
    for (size_t sent = 0; sent < floodBytes; sent += chunk.size()) {
      if (send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL) <= 0) break;
    }
    send(fd, "0\r\n\r\n", 5, MSG_NOSIGNAL);
    std::string answer = ReadAll(fd);
    close(fd);
    return answer;
  };
  auto headers = [&] {
    int fd = ConnectFrom(server.port, "127.0.0.2");
    std::string head = "POST /game/do.php HTTP/1.1\r\nHost: x\r\n";
    send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    std::string lines;
    for (int i = 0; i < 4096; ++i) lines += "X-" + std::to_string(i) + ": y\r\n";
    for (size_t sent = 0; sent < floodBytes / 4; sent += lines.size()) {
      if (send(fd, lines.data(), lines.size(), MSG_NOSIGNAL) <= 0) break;
    }
    std::string answer = ReadAll(fd);
    close(fd);
    return answer;
  };
  std::vector<std::thread> floods;
  std::vector<std::string> answers(8);
  for (int i = 0; i < 4; ++i) {
    floods.emplace_back([&, i] { answers[i] = chunked(); });
    floods.emplace_back([&, i] { answers[4 + i] = headers(); });
  }
  for (auto& t : floods) t.join();
  long after = ResidentKiB();
  for (int i = 0; i < 4; ++i) {
    // A refusal when the flood ended in time, or a closed connection at the body's deadline.
    if (!answers[i].empty()) {
      EXPECT_EQ(answers[i].rfind("HTTP/1.1 413", 0), 0u) << answers[i].substr(0, 80);
    }
    EXPECT_EQ(answers[4 + i].find("HTTP/1.1 200"), std::string::npos);
  }
  // The test process holds the clients' buffers too; the floods together are 4 × 1.25 × floodBytes.
  EXPECT_LT(after - before, 48 * 1024) << "resident memory grew from " << before << " KiB to " << after;
  EXPECT_EQ(Code(PostFrom(server.port, "127.0.0.1", "m=user&a=xin&md5=0")), "-2");
}

TEST(HostileTraffic, ARegistrationFloodIsLimitedPerAddress) {
  TestServer server("sqlite", ThrottledSettings(), GuardedHttp());
  const int attempts = LongForm() ? 200 : 40;
  int created = 0;
  int slowedDown = 0;
  for (int i = 0; i < attempts; ++i) {
    std::string body = PostFrom(server.port, "127.0.0.2",
                                "m=login&a=register&username=flood" + std::to_string(i) + "&password=secret1");
    if (Code(body) == "1") ++created;
    if (body.find("\\u64cd\\u4f5c\\u8fc7\\u4e8e\\u9891\\u7e41") != std::string::npos) ++slowedDown;  // 操作过于频繁
  }
  EXPECT_LE(created, 10);
  EXPECT_EQ(created + slowedDown, attempts);
  // Another address registers as usual.
  EXPECT_EQ(Code(PostFrom(server.port, "127.0.0.3", "m=login&a=register&username=honest&password=secret1")), "1");
}

TEST(HostileTraffic, OnlyTheNamedProxyMayNameTheClientAddress) {
  HttpSettings http = GuardedHttp();
  http.trustedProxy = "127.0.0.2";
  TestServer server("sqlite", ThrottledSettings(), http);
  auto registerVia = [&](const char* from, int i, const std::string& forwarded) {
    return Code(PostFrom(server.port, from, "m=login&a=register&username=via" + std::to_string(i) + "&password=secret1",
                         10, "X-Forwarded-For: " + forwarded + "\r\n"));
  };
  // Through the proxy, each forwarded address has a bucket of its own.
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(registerVia("127.0.0.2", i, "203.0.113.9, 10.0.0." + std::to_string(i + 1)), "1") << i;
  }
  // From anywhere else the header is ignored: the socket's address runs dry after its 10.
  int created = 0;
  for (int i = 20; i < 40; ++i) created += registerVia("127.0.0.3", i, "10.1.0." + std::to_string(i)) == "1";
  EXPECT_EQ(created, 10);
}

TEST(HostileTraffic, PasswordGuessingDoesNotLockTheOwnerOut) {
  TestServer server("sqlite", ThrottledSettings(), GuardedHttp());
  ASSERT_EQ(Code(PostFrom(server.port, "127.0.0.3", "m=login&a=register&username=victim&password=rightpass")), "1");
  const int guesses = LongForm() ? 300 : 60;
  int refused = 0;
  for (int i = 0; i < guesses; ++i) {
    std::string body = PostFrom(server.port, "127.0.0.2",
                                "m=login&a=login&username=victim&password=guess" + std::to_string(i));
    if (Code(body) == "0") ++refused;
    if (i % 10 == 9) {
      EXPECT_EQ(Code(PostFrom(server.port, "127.0.0.3", "m=login&a=login&username=victim&password=rightpass")), "1")
          << "after " << i + 1 << " guesses";
    }
  }
  EXPECT_EQ(refused, guesses);
  // The guesser's own address stays refused even with the right password: it is not in good standing.
  EXPECT_EQ(Code(PostFrom(server.port, "127.0.0.2", "m=login&a=login&username=victim&password=rightpass")), "0");
}

TEST(HostileTraffic, AFullHashingQueueAnswersBusyAtOnce) {
  GameSettings settings = TestServer::LightSettings();
  settings.hashCost = StandardHashCost();  // slow enough that the queue fills
  settings.hashThreads = 1;
  settings.hashQueue = 1;
  TestServer server("sqlite", settings);
  std::vector<std::thread> clients;
  std::vector<std::string> answers(12);
  for (size_t i = 0; i < answers.size(); ++i) {
    clients.emplace_back([&, i] {
      answers[i] = PostFrom(server.port, "127.0.0.1",
                            "m=login&a=register&username=busy" + std::to_string(i) + "&password=secret1", 30);
    });
  }
  for (auto& t : clients) t.join();
  int created = 0;
  int busy = 0;
  for (const std::string& body : answers) {
    if (Code(body) == "1") ++created;
    if (Code(body) == "0" && body.find("\\u670d\\u52a1\\u5668\\u7e41\\u5fd9") != std::string::npos) ++busy;  // 服务器繁忙
  }
  EXPECT_GE(created, 1);
  EXPECT_GE(busy, 1);
  EXPECT_EQ(created + busy, static_cast<int>(answers.size()));
}

// How many of `fds` have their answer (or their end) waiting to be read.
int Answered(std::vector<int>& fds) {
  std::vector<pollfd> polled;
  for (int fd : fds) polled.push_back({fd, POLLIN, 0});
  poll(polled.data(), polled.size(), 0);
  int answered = 0;
  for (const pollfd& p : polled) answered += (p.revents & (POLLIN | POLLHUP)) != 0;
  return answered;
}

// SQLite answers each level-up from its one writer, which checks the token there; a flood of
// level-ups with made-up tokens from one address must not take the writer's whole queue, or other
// players' level-ups are refused as busy while it lasts. The writer is held up by a lock from
// outside, so that the flood fills whatever it may.
TEST(HostileTraffic, ALevelUpFloodWithUnknownTokensLeavesTheWriterRoomForOthers) {
  TestServer server("sqlite");
  std::string honest = server.NewPlayer("honest", "Honest");
  server.clock.Advance(86400);  // a day's earnings: enough for a level
  sqlite3* blocker = nullptr;
  ASSERT_EQ(sqlite3_open(server.kit.url.substr(std::string_view("sqlite:").size()).c_str(), &blocker), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(blocker, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

  // More than the writer's queue (1,024) and a batch (64) hold.
  const int flood = 1200;
  const int refusedEvenWithoutALimit = flood - 1024 - 64;
  std::mt19937_64 random(7);
  auto madeUpLevelUp = [&] {
    char token[33];
    std::snprintf(token, sizeof token, "%016llx%016llx", static_cast<unsigned long long>(random()),
                  static_cast<unsigned long long>(random()));
    return "m=user&a=lvup&id=1&md5=" + std::string(token);
  };
  std::vector<int> fds;
  for (int i = 0; i < flood; ++i) {
    int fd = SendFrom(server.port, "127.0.0.2", madeUpLevelUp(), 30);
    ASSERT_GE(fd, 0) << i;
    fds.push_back(fd);
  }
  // Once the first refusals are back, the flood holds all of the writer's queue it ever will.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (Answered(fds) < refusedEvenWithoutALimit && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_GE(Answered(fds), refusedEvenWithoutALimit);
  int honestFd = SendFrom(server.port, "127.0.0.1", "m=user&a=lvup&id=1&md5=" + honest, 30);
  ASSERT_GE(honestFd, 0);
  // One more from the flood, answered at once: the honest one, sent before it, is in by then.
  EXPECT_EQ(Code(PostFrom(server.port, "127.0.0.2", madeUpLevelUp())), "-3");
  sqlite3_exec(blocker, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(blocker);

  EXPECT_EQ(Code(AnswerBody(honestFd)), "1") << "the honest level-up was refused while the flood lasted";
  // Each flooding request answered once: the ones the writer took as unknown, the rest as busy.
  int unknown = 0;
  int busy = 0;
  for (int fd : fds) {
    std::string code = Code(AnswerBody(fd));
    unknown += code == "-2";
    busy += code == "-3";
  }
  EXPECT_EQ(unknown + busy, flood);
  EXPECT_LE(unknown, 64);
  // Its share comes back as its level-ups are answered (the writer lets go of each just after).
  std::string after;
  for (int i = 0; i < 100 && after != "-2"; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    after = Code(PostFrom(server.port, "127.0.0.2", madeUpLevelUp()));
  }
  EXPECT_EQ(after, "-2");
}

}  // namespace
}  // namespace vorenn::server::test
