// The server program as operators run it: a port already in use, /health and /metrics, settings
// from the environment, the log file and SIGHUP, the default database folder, IPv6, and the online
// backup taken while players register.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "server/sqlite_storage.h"
#include "tests/server/server_process.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// vorenn-server with the given arguments and extra environment, its standard error in a file.
class Program {
 public:
  Program(const std::vector<std::string>& args, const std::vector<std::pair<std::string, std::string>>& env,
          const std::filesystem::path& errors) {
    pid_ = fork();
    if (pid_ == 0) {
      if (!freopen(errors.c_str(), "w", stderr)) _exit(126);
      for (const char* name : {"VORENN_LISTEN", "VORENN_DATABASE", "VORENN_LOG", "VORENN_QUIET", "STATE_DIRECTORY",
                               "XDG_STATE_HOME"}) {
        unsetenv(name);
      }
      for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(VORENN_SERVER_BIN)};
      for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(VORENN_SERVER_BIN, argv.data());
      _exit(127);
    }
  }
  ~Program() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // The exit status once the program ended within `seconds`, else -1.
  int Wait(double seconds) {
    auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (pid_ > 0 && Clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }
  void Signal(int signal) { kill(pid_, signal); }
  bool Running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

 private:
  pid_t pid_ = -1;
};

// Waits for the "listening on http://HOST:PORT/" line: the port, or 0.
int ListeningPort(const std::filesystem::path& errors) {
  std::regex line(R"(listening on http://(\[[^\]]+\]|[^:/]+):(\d+)/)");
  for (int i = 0; i < 200; ++i) {
    std::smatch match;
    std::string text = ReadFile(errors);
    if (std::regex_search(text, match, line)) return std::stoi(match[2]);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}

httplib::Result Get(const std::string& host, int port, const std::string& path) {
  httplib::Client client(host, port);
  client.set_connection_timeout(2);
  client.set_read_timeout(10);
  return client.Get(path);
}

TEST(Operations, ASecondServerOnAPortInUseRefusesToStart) {
  TempDir dir;
  auto first = StartServer("sqlite:" + (dir.path() / "first.db").string());
  ASSERT_TRUE(first);
  Program second({"--listen", "127.0.0.1:" + std::to_string(first->port()), "--db",
                  "sqlite:" + (dir.path() / "second.db").string()},
                 {}, dir.path() / "second.err");
  EXPECT_EQ(second.Wait(20), 1);
  EXPECT_NE(ReadFile(dir.path() / "second.err").find("in use"), std::string::npos);
  // It stopped before touching a database.
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "second.db"));
  // The first one still has the port to itself.
  EXPECT_TRUE(first->Post("m=user&a=phb&md5=0").is_object());
}

// A storage that can be switched off, as when the database server goes away.
class SwitchedStorage final : public Storage {
 public:
  explicit SwitchedStorage(Storage& real) : real_(real) {}
  std::atomic<bool> down{false};
  CreateOutcome CreateAccount(std::string_view u, std::string_view p, std::string_view e, int64_t n) override {
    return Up().CreateAccount(u, p, e, n);
  }
  std::optional<Account> FindAccount(std::string_view u) override { return Up().FindAccount(u); }
  void ReplacePassword(int64_t a, std::string_view p) override { Up().ReplacePassword(a, p); }
  void UpgradePasswordHash(int64_t a, std::string_view o, std::string_view n) override {
    Up().UpgradePasswordHash(a, o, n);
  }
  void AddSession(std::string_view t, int64_t a, int64_t n, int64_t m) override { Up().AddSession(t, a, n, m); }
  std::optional<int64_t> UseSession(std::string_view t, int64_t n, int64_t m) override {
    return Up().UseSession(t, n, m);
  }
  CreateOutcome CreateCharacter(int64_t a, std::string_view n, int64_t t) override {
    return Up().CreateCharacter(a, n, t);
  }
  std::optional<Character> UpdateCharacter(int64_t a, const CharacterChange& c) override {
    return Up().UpdateCharacter(a, c);
  }
  std::vector<RankEntry> TopByRate(int limit) override { return Up().TopByRate(limit); }

 private:
  Storage& Up() {
    if (down) throw StorageError("database is gone");
    return real_;
  }
  Storage& real_;
};

TEST(Operations, HealthFollowsTheDatabaseAndMetricsCountRequests) {
  TempDir dir;
  auto real = OpenSqliteStorage((dir.path() / "h.db").string(), 4);
  SwitchedStorage storage(*real);
  ManualClock clock(1'700'000'000);
  GameService service(storage, clock, TestServer::LightSettings());
  HttpServer http(service, TestServer::OpenHttp());
  int port = http.Bind();
  ASSERT_GT(port, 0);
  std::thread serving([&] { http.Run(); });
  while (!http.IsServing()) std::this_thread::sleep_for(std::chrono::milliseconds(1));

  auto healthy = Get("127.0.0.1", port, "/health");
  ASSERT_TRUE(healthy);
  EXPECT_EQ(healthy->status, 200);
  EXPECT_EQ(nlohmann::json::parse(healthy->body).value("status", ""), "ok");
  storage.down = true;
  auto sick = Get("127.0.0.1", port, "/health");
  ASSERT_TRUE(sick);
  EXPECT_EQ(sick->status, 503);
  EXPECT_EQ(nlohmann::json::parse(sick->body).value("database", ""), "unreachable");
  storage.down = false;

  httplib::Client client("127.0.0.1", port);
  for (int i = 0; i < 3; ++i) client.Post("/game/do.php", "m=user&a=phb&md5=0", "application/x-www-form-urlencoded");
  // An invented action must not become a series of its own.
  client.Post("/game/do.php", "m=zz&a=invented", "application/x-www-form-urlencoded");
  auto metrics = Get("127.0.0.1", port, "/metrics");
  ASSERT_TRUE(metrics);
  EXPECT_EQ(metrics->status, 200);
  EXPECT_EQ(metrics->get_header_value("Content-Type").rfind("text/plain; version=0.0.4", 0), 0u);
  const std::string& text = metrics->body;
  EXPECT_NE(text.find("vorenn_requests_total{action=\"user/phb\",status=\"200\",code=\"-2\"} 3\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("vorenn_requests_total{action=\"health\",status=\"503\",code=\"0\"} 1\n"), std::string::npos);
  EXPECT_NE(text.find("vorenn_requests_total{action=\"other\",status=\"200\",code=\"0\"} 1\n"), std::string::npos);
  EXPECT_EQ(text.find("invented"), std::string::npos);
  // Six requests answered before this scrape, all in the histogram and its +Inf bucket.
  EXPECT_NE(text.find("vorenn_request_duration_seconds_count 6\n"), std::string::npos) << text;
  EXPECT_NE(text.find("vorenn_request_duration_seconds_bucket{le=\"+Inf\"} 6\n"), std::string::npos);
  std::smatch open;
  ASSERT_TRUE(std::regex_search(text, open, std::regex(R"(\nvorenn_open_connections (\d+)\n)")));
  EXPECT_GE(std::stoi(open[1]), 1);  // the scrape's own connection at least
  EXPECT_NE(text.find("\nvorenn_hash_queue 0\n"), std::string::npos);
  http.Stop();
  serving.join();
}

TEST(Operations, EnvironmentSettingsYieldToTheCommandLineAndTheLogReopensOnSighup) {
  TempDir dir;
  auto log = dir.path() / "server.log";
  // VORENN_LISTEN is not even an address: the command line's --listen wins without reading it.
  Program server({"--listen", "127.0.0.1:0", "--unthrottled", "127.0.0.1"},
                 {{"VORENN_LISTEN", "nonsense"}, {"VORENN_DATABASE", "sqlite:" + (dir.path() / "env.db").string()},
                  {"VORENN_LOG", log.string()}},
                 dir.path() / "server.err");
  int port = ListeningPort(dir.path() / "server.err");
  ASSERT_GT(port, 0) << ReadFile(dir.path() / "server.err");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "env.db"));

  httplib::Client client("127.0.0.1", port);
  auto post = [&](const std::string& body) {
    auto result = client.Post("/game/do.php", body, "application/x-www-form-urlencoded");
    return result ? result->body : "";
  };
  post("m=login&a=register&username=loggeduser&password=Sesame9pass&email=a%40b.c");
  post("m=user&a=phb&md5=0");
  std::string first = ReadFile(log);
  std::regex line(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z INFO )"
                  R"(client=127\.0\.0\.1 action=user/phb status=200 code=-2 ms=[0-9.]+\n)");
  EXPECT_TRUE(std::regex_search(first, line)) << first;
  EXPECT_NE(first.find("action=login/register status=200 code=1 "), std::string::npos) << first;
  EXPECT_EQ(first.find("Sesame9pass"), std::string::npos);
  EXPECT_EQ(first.find("a@b.c"), std::string::npos);

  // A log rotation moves the file away; SIGHUP makes the server write to a new one by the old name.
  std::filesystem::rename(log, dir.path() / "server.log.1");
  server.Signal(SIGHUP);
  bool reopened = false;
  for (int i = 0; i < 100 && !reopened; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    reopened = std::filesystem::exists(log);
  }
  ASSERT_TRUE(reopened);
  post("m=user&a=xin&md5=0");
  EXPECT_TRUE(server.Running());
  EXPECT_NE(ReadFile(log).find("action=user/xin"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.path() / "server.log.1").find("action=user/xin"), std::string::npos);
  server.Signal(SIGTERM);
  EXPECT_EQ(server.Wait(15), 0);
}

TEST(Operations, DefaultDatabaseLivesInTheStateFolderAndIpv6AddressesListen) {
  TempDir dir;
  {
    Program server({"--listen", "[::1]:0", "--quiet"},
                   {{"HOME", (dir.path() / "home").string()}, {"XDG_STATE_HOME", (dir.path() / "xdg").string()}},
                   dir.path() / "xdg.err");
    int port = ListeningPort(dir.path() / "xdg.err");
    if (port == 0 && ReadFile(dir.path() / "xdg.err").find("cannot listen") != std::string::npos) {
      GTEST_SKIP() << "no IPv6 loopback here";
    }
    ASSERT_GT(port, 0) << ReadFile(dir.path() / "xdg.err");
    auto health = Get("::1", port, "/health");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 200);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "xdg/vorenn/vorenn.db"));
  }
  // Under systemd, its state directory comes first.
  Program server({"--listen", "127.0.0.1:0", "--quiet"},
                 {{"HOME", (dir.path() / "home").string()}, {"STATE_DIRECTORY", (dir.path() / "state").string()}},
                 dir.path() / "state.err");
  ASSERT_GT(ListeningPort(dir.path() / "state.err"), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "state/vorenn.db"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "home"));
}

int CountAccounts(const std::filesystem::path& file, std::string& integrity, const std::vector<std::string>& names) {
  sqlite3* db = nullptr;
  int found = 0;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    if (sqlite3_step(check) == SQLITE_ROW) integrity = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
    sqlite3_finalize(check);
    sqlite3_stmt* find = nullptr;
    sqlite3_prepare_v2(db, "SELECT 1 FROM accounts WHERE username = ?", -1, &find, nullptr);
    for (const auto& name : names) {
      sqlite3_bind_text(find, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(find) == SQLITE_ROW) ++found;
      sqlite3_reset(find);
    }
    sqlite3_finalize(find);
  }
  sqlite3_close(db);
  return found;
}

TEST(Operations, OnlineBackupWhileAWriterRunsHoldsEveryAcknowledgedAccount) {
  TempDir dir;
  std::string db = "sqlite:" + (dir.path() / "live.db").string();
  auto server = StartServer(db);
  ASSERT_TRUE(server);
  std::mutex mutex;
  std::vector<std::string> acknowledged;
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    for (int i = 0; writing && i < 400; ++i) {
      std::string name = "backup" + std::to_string(i);
      auto answer = server->Post("m=login&a=register&username=" + name + "&password=secret1&email=");
      if (answer.is_object() && answer.value("b", "") == "1") {
        std::lock_guard lock(mutex);
        acknowledged.push_back(name);
      }
    }
  });
  auto enough = [&] {
    std::lock_guard lock(mutex);
    return acknowledged.size() >= 10;
  };
  while (!enough()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::vector<std::string> before;
  {
    std::lock_guard lock(mutex);
    before = acknowledged;
  }
  auto copy = dir.path() / "copy.db";
  Program backup({"--db", db, "backup", copy.string()}, {}, dir.path() / "backup.err");
  int status = backup.Wait(60);
  writing = false;
  writer.join();
  ASSERT_EQ(status, 0) << ReadFile(dir.path() / "backup.err");
  std::string integrity;
  EXPECT_EQ(CountAccounts(copy, integrity, before), static_cast<int>(before.size()));
  EXPECT_EQ(integrity, "ok");
  EXPECT_EQ(std::filesystem::status(copy).permissions() & std::filesystem::perms::others_all,
            std::filesystem::perms::none);
  // A database that is not there is an error, not a new empty copy.
  Program missing({"--db", "sqlite:" + (dir.path() / "absent.db").string(), "backup", (dir.path() / "x.db").string()},
                  {}, dir.path() / "missing.err");
  EXPECT_EQ(missing.Wait(20), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.db"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "absent.db"));
}

}  // namespace
}  // namespace vorenn::server::test
