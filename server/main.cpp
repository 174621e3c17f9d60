// vorenn-server: the game server. See `vorenn-server --help`.
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/backup.h"
#include "server/game_service.h"
#include "server/http_server.h"
#include "server/log.h"
#include "server/storage.h"
#include "vorenn_version.h"

namespace {

using namespace vorenn::server;

const char* const kUsage = R"(usage: vorenn-server [options]
       vorenn-server [--db URL] backup FILE

Serves the Vorenn game on http://HOST:PORT/game/do.php, its health on /health and its counters on
/metrics (Prometheus text format).

  --listen HOST:PORT    address to listen on (default 127.0.0.1:8573; port 0 picks a free one;
                        IPv6 as [ADDRESS]:PORT, e.g. [::1]:8573)
  --db URL              where the game is stored (default sqlite:STATE/vorenn.db, STATE being
                        $STATE_DIRECTORY, else $XDG_STATE_HOME/vorenn, else ~/.local/state/vorenn):
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
  --log FILE            write the log to FILE (appending) instead of standard error
  --quiet               no log line per request
  --help                this text
  --version             the version number

backup FILE copies the SQLite database of --db to FILE while the server runs (SQLite's online
backup) and checks the copy; for PostgreSQL use pg_dump.

Every option but --unthrottled can also be set in the environment: VORENN_LISTEN, VORENN_DATABASE,
VORENN_ANNOUNCEMENT, VORENN_THREADS, VORENN_HASH_THREADS, VORENN_HEADER_SECONDS,
VORENN_BODY_SECONDS, VORENN_MAX_CONNECTIONS, VORENN_MAX_PER_ADDRESS, VORENN_TRUSTED_PROXY,
VORENN_LOG, VORENN_QUIET (any non-empty value). The command line wins over the environment.

Each request is logged as one line: time (UTC), level, client=ADDRESS action=M/A status=HTTP-STATUS
code=RESULT-CODE ms=MILLISECONDS. No password, token or other field value is logged.
SIGHUP opens the log file again (after it was rotated). SIGINT or SIGTERM stops the server within
about five seconds: requests already read are answered, other connections are closed; every
answered change is already on disk.
)";

// Environment variables and the options they stand for, in the order they are read.
const std::pair<const char*, const char*> kEnvironment[] = {
    {"VORENN_LISTEN", "--listen"},
    {"VORENN_DATABASE", "--db"},
    {"VORENN_ANNOUNCEMENT", "--announcement"},
    {"VORENN_THREADS", "--threads"},
    {"VORENN_HASH_THREADS", "--hash-threads"},
    {"VORENN_HEADER_SECONDS", "--header-seconds"},
    {"VORENN_BODY_SECONDS", "--body-seconds"},
    {"VORENN_MAX_CONNECTIONS", "--max-connections"},
    {"VORENN_MAX_PER_ADDRESS", "--max-per-address"},
    {"VORENN_TRUSTED_PROXY", "--trusted-proxy"},
    {"VORENN_LOG", "--log"},
};

struct Options {
  HttpSettings http;
  std::string db;
  std::string log;
  std::string backupTo;  // set for `backup FILE`
  GameSettings game;
};

// Where a server keeps its data when not told: the state directory systemd gives it, else the
// user's XDG state folder, never the folder it happens to be started from.
std::string DefaultDatabase() {
  const char* state = std::getenv("STATE_DIRECTORY");
  if (state && *state) {
    std::string first(state);
    first = first.substr(0, first.find(':'));  // systemd lists several as a:b
    return "sqlite:" + first + "/vorenn.db";
  }
  const char* xdg = std::getenv("XDG_STATE_HOME");
  if (xdg && *xdg == '/') return "sqlite:" + std::string(xdg) + "/vorenn/vorenn.db";
  const char* home = std::getenv("HOME");
  if (home && *home) return "sqlite:" + std::string(home) + "/.local/state/vorenn/vorenn.db";
  return "sqlite:var/vorenn.db";
}

bool ParseListen(const std::string& text, HttpSettings& http) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  int value = std::stoi(port);
  if (value > 65535) return false;
  std::string host = text.substr(0, colon);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string::npos) {
    return false;  // an IPv6 address needs its brackets, or its port would be ambiguous
  }
  http.host = host;
  http.port = value;
  return true;
}

std::string UrlHost(const std::string& host) {
  return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

// Returns 0 to run, else the exit code (1 for bad arguments, -1 for --help, mapped to 0). `args`
// come from the environment first and the command line after, so the command line wins; `origins`
// name where each came from, for the error messages.
int ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& origins,
                 Options& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string from = origins[i].empty() ? "" : " (from " + origins[i] + ")";
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    auto fail = [&](const std::string& message) {
      std::fprintf(stderr, "vorenn-server: %s%s\n", message.c_str(), from.c_str());
      return 1;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return -1;
    } else if (arg == "--version") {
      std::printf("vorenn-server %s\n", VORENN_VERSION);
      return -1;
    } else if (arg == "backup" && origins[i].empty() && options.backupTo.empty()) {
      if (!value(options.backupTo) || options.backupTo.empty()) return fail("backup wants a FILE");
    } else if (arg == "--listen") {
      if (!value(text) || !ParseListen(text, options.http)) return fail("--listen wants HOST:PORT or [IPV6]:PORT");
    } else if (arg == "--db") {
      if (!value(options.db) || options.db.empty()) return fail("--db wants a URL");
    } else if (arg == "--log") {
      if (!value(options.log) || options.log.empty()) return fail("--log wants a FILE");
    } else if (arg == "--announcement") {
      if (!value(options.game.announcement)) return fail("--announcement wants a text");
      options.game.publishAnnouncement = true;
    } else if (arg == "--threads") {
      if (!value(text) || text.find_first_not_of("0123456789") != std::string::npos ||
          text.empty() || text.size() > 3 || std::stoi(text) < 1) {
        return fail("--threads wants a number from 1 to 999");
      }
      options.http.threads = std::stoi(text);
    } else if (arg == "--hash-threads" || arg == "--header-seconds" || arg == "--body-seconds" ||
               arg == "--max-connections" || arg == "--max-per-address") {
      if (!value(text) || text.empty() || text.size() > 6 ||
          text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) < 1) {
        return fail(arg + " wants a positive number");
      }
      int number = std::stoi(text);
      if (arg == "--hash-threads") options.game.hashThreads = number;
      if (arg == "--header-seconds") options.http.headerSeconds = number;
      if (arg == "--body-seconds") options.http.bodySeconds = number;
      if (arg == "--max-connections") options.http.maxConnections = number;
      if (arg == "--max-per-address") options.http.maxConnectionsPerAddress = number;
    } else if (arg == "--trusted-proxy") {
      if (!value(options.http.trustedProxy)) return fail("--trusted-proxy wants an address");
    } else if (arg == "--unthrottled") {
      if (!value(text)) return fail("--unthrottled wants an address");
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
  std::vector<std::string> args;
  std::vector<std::string> origins;
  auto onCommandLine = [&](const char* option) {
    for (int i = 1; i < argc; ++i) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
    return false;
  };
  for (const auto& [variable, option] : kEnvironment) {
    const char* value = std::getenv(variable);
    // An option given on the command line wins, even over a variable that would not parse.
    if (!value || !*value || onCommandLine(option)) continue;
    args.push_back(option);
    args.push_back(value);
    origins.push_back(variable);
    origins.push_back(variable);
  }
  const char* quiet = std::getenv("VORENN_QUIET");
  if (quiet && *quiet) {
    args.push_back("--quiet");
    origins.push_back("VORENN_QUIET");
  }
  for (int i = 1; i < argc; ++i) {
    args.push_back(argv[i]);
    origins.push_back("");
  }
  Options options;
  int parsed = ParseOptions(args, origins, options);
  if (parsed != 0) return parsed < 0 ? 0 : parsed;
  if (options.db.empty()) options.db = DefaultDatabase();

  if (!options.backupTo.empty()) {
    try {
      BackupDatabase(options.db, options.backupTo);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "vorenn-server: %s\n", e.what());
      return 1;
    }
    std::fprintf(stderr, "vorenn-server: backed up %s to %s (integrity ok)\n", options.db.c_str(),
                 options.backupTo.c_str());
    return 0;
  }
  std::string error;
  if (!options.log.empty() && !SetLogFile(options.log, error)) {
    std::fprintf(stderr, "vorenn-server: %s\n", error.c_str());
    return 1;
  }

  // Signals are taken by a dedicated thread, so stopping and reopening the log happen outside any
  // signal handler.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  // Every connection is a descriptor; the connection caps are only reachable with room for them.
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }

  // The port first: a second server started on a port in use stops here, before it opens (or
  // creates) any database.
  Listener listener = Listen(options.http.host, options.http.port);
  std::string address = UrlHost(options.http.host) + ":";
  if (listener.fd < 0) {
    std::fprintf(stderr, "vorenn-server: cannot listen on %s%d: %s\n", address.c_str(), options.http.port,
                 listener.error == EADDRINUSE ? "the port is in use by another program (is a server already running?)"
                                              : std::strerror(listener.error));
    return 1;
  }
  std::unique_ptr<Storage> storage;
  try {
    storage = OpenStorage(options.db, options.http.threads);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vorenn-server: %s\n", e.what());
    close(listener.fd);
    return 1;
  }
  SystemClock clock;
  std::unique_ptr<GameService> service;
  try {
    service = std::make_unique<GameService>(*storage, clock, options.game);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vorenn-server: %s\n", e.what());
    close(listener.fd);
    return 1;
  }
  HttpServer server(*service, options.http, listener);
  int port = server.Bind();
  std::string storageName = options.db.rfind("sqlite:", 0) == 0 ? options.db : "postgresql";
  std::fprintf(stderr, "vorenn-server: listening on http://%s%d/game/do.php, storage %s\n", address.c_str(), port,
               storageName.c_str());
  if (!options.log.empty()) {
    LogLine(LogLevel::Info, "listening on http://" + address + std::to_string(port) + "/game/do.php, storage " +
                                storageName);
  }

  std::thread signalTaker([&] {
    for (;;) {
      int signal = 0;
      sigwait(&signals, &signal);
      if (signal != SIGHUP) break;
      std::string reopenError;
      if (ReopenLog(reopenError)) LogLine(LogLevel::Info, "log reopened");
      else std::fprintf(stderr, "vorenn-server: %s\n", reopenError.c_str());
    }
    server.Stop();
  });
  bool served = server.Run();
  if (signalTaker.joinable()) {
    pthread_kill(signalTaker.native_handle(), SIGTERM);
    signalTaker.join();
  }
  if (!options.log.empty()) LogLine(LogLevel::Info, "stopped");
  std::fprintf(stderr, "vorenn-server: stopped\n");
  return served ? 0 : 1;
}
