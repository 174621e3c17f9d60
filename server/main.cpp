// vorenn-server: the game server. See `vorenn-server --help`.
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "server/game_service.h"
#include "server/http_server.h"
#include "server/storage.h"
#include "vorenn_version.h"

namespace {

using namespace vorenn::server;

const char* const kUsage = R"(usage: vorenn-server [options]

Serves the Vorenn game on http://HOST:PORT/game/do.php.

  --listen HOST:PORT    address to listen on (default 127.0.0.1:8573; port 0 picks a free one)
  --db URL              where the game is stored (default sqlite:var/vorenn.db):
                          sqlite:PATH             an SQLite file; its folder is created if missing
                          postgresql://USER@HOST:PORT/DB   a PostgreSQL database
  --announcement TEXT   the announcement shown to every player (UTF-8)
  --threads N           requests served at once, and database connections (default 16)
  --hash-threads N      password hashes computed at once (default 2; each takes 19 MiB)
  --header-seconds N    time a connection gets for a request's header (default 5)
  --body-seconds N      time it then gets for the body (default 5)
  --max-connections N   open connections in all (default 8192)
  --max-per-address N   open connections from one address (default 2048)
  --trusted-proxy ADDR  take the client address of requests from ADDR from X-Forwarded-For
  --unthrottled ADDR    no per-address limits on sign-ins and registrations for ADDR (repeatable;
                        for load generators)
  --quiet               no log line per request
  --help                this text
  --version             the version number

Each request is logged on standard error: time (UTC), client address, action, HTTP status, result
code, milliseconds. No password, token or other field value is logged.
SIGINT or SIGTERM stops the server within about five seconds: requests already read are answered,
other connections are closed; every answered change is already on disk.
)";

struct Options {
  HttpSettings http;
  std::string db = "sqlite:var/vorenn.db";
  GameSettings game;
};

bool ParseListen(const std::string& text, HttpSettings& http) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  int value = std::stoi(port);
  if (value > 65535) return false;
  http.host = text.substr(0, colon);
  http.port = value;
  return true;
}

// Returns 0 to run, else the exit code (1 for bad arguments, -1 for --help, mapped to 0).
int ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return -1;
    } else if (arg == "--version") {
      std::printf("vorenn-server %s\n", VORENN_VERSION);
      return -1;
    } else if (arg == "--listen") {
      if (!value(text) || !ParseListen(text, options.http)) {
        std::fprintf(stderr, "vorenn-server: --listen wants HOST:PORT\n");
        return 1;
      }
    } else if (arg == "--db") {
      if (!value(options.db)) return std::fprintf(stderr, "vorenn-server: --db wants a URL\n"), 1;
    } else if (arg == "--announcement") {
      if (!value(options.game.announcement)) {
        return std::fprintf(stderr, "vorenn-server: --announcement wants a text\n"), 1;
      }
    } else if (arg == "--threads") {
      if (!value(text) || text.find_first_not_of("0123456789") != std::string::npos ||
          text.empty() || text.size() > 3 || std::stoi(text) < 1) {
        return std::fprintf(stderr, "vorenn-server: --threads wants a number from 1 to 999\n"), 1;
      }
      options.http.threads = std::stoi(text);
    } else if (arg == "--hash-threads" || arg == "--header-seconds" || arg == "--body-seconds" ||
               arg == "--max-connections" || arg == "--max-per-address") {
      if (!value(text) || text.empty() || text.size() > 6 ||
          text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) < 1) {
        return std::fprintf(stderr, "vorenn-server: %s wants a positive number\n", arg.c_str()), 1;
      }
      int number = std::stoi(text);
      if (arg == "--hash-threads") options.game.hashThreads = number;
      if (arg == "--header-seconds") options.http.headerSeconds = number;
      if (arg == "--body-seconds") options.http.bodySeconds = number;
      if (arg == "--max-connections") options.http.maxConnections = number;
      if (arg == "--max-per-address") options.http.maxConnectionsPerAddress = number;
    } else if (arg == "--trusted-proxy") {
      if (!value(options.http.trustedProxy)) {
        return std::fprintf(stderr, "vorenn-server: --trusted-proxy wants an address\n"), 1;
      }
    } else if (arg == "--unthrottled") {
      if (!value(text)) return std::fprintf(stderr, "vorenn-server: --unthrottled wants an address\n"), 1;
      options.game.unthrottled.insert(text);
    } else if (arg == "--quiet") {
      options.http.logRequests = false;
    } else {
      std::fprintf(stderr, "vorenn-server: unknown option %s (see --help)\n", arg.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int parsed = ParseOptions(argc, argv, options);
  if (parsed != 0) return parsed < 0 ? 0 : parsed;

  // Signals are taken by a dedicated thread, so stopping happens outside any signal handler.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  // Every connection is a descriptor; the connection caps are only reachable with room for them.
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }

  std::unique_ptr<Storage> storage;
  try {
    storage = OpenStorage(options.db, options.http.threads);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vorenn-server: %s\n", e.what());
    return 1;
  }
  SystemClock clock;
  std::unique_ptr<GameService> service;
  try {
    service = std::make_unique<GameService>(*storage, clock, options.game);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vorenn-server: %s\n", e.what());
    return 1;
  }
  HttpServer server(*service, options.http);
  int port = server.Bind();
  if (port < 0) {
    std::fprintf(stderr, "vorenn-server: cannot listen on %s:%d\n", options.http.host.c_str(),
                 options.http.port);
    return 1;
  }
  std::fprintf(stderr, "vorenn-server: listening on http://%s:%d/game/do.php, storage %s\n",
               options.http.host.c_str(), port, options.db.rfind("sqlite:", 0) == 0 ? options.db.c_str() : "postgresql");

  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
  });
  bool served = server.Run();
  if (stopper.joinable()) {
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
  }
  std::fprintf(stderr, "vorenn-server: stopped\n");
  return served ? 0 : 1;
}
