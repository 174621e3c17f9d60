// Simulated players against a running game server, for load runs: each player signs in, enters the
// game (creating its character the first time), then refreshes its information, levels up and opens
// the leaderboard at random intervals until the run ends. Like the game client, every request uses
// a fresh connection: connect, POST /game/do.php, read the whole answer, close.
//
// One thread drives every player through non-blocking sockets, so a thousand players cost the
// machine little besides the server itself.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "server/storage.h"

namespace vorenn::server::test {

struct LoadPlan {
  std::string host = "127.0.0.1";
  int port = 0;
  int players = 1000;
  double seconds = 60;
  double rampSeconds = 1;        // players start evenly spread over this stretch
  std::string accountPrefix = "load";  // accounts PREFIX1 .. PREFIXn (see SeedLoadAccounts)
  std::string password = "loadpass1";
  double refreshSeconds = 3;     // mean interval between information refreshes of one player
  double levelUpSeconds = 10;    // mean interval between level-ups
  double rankingSeconds = 20;    // mean interval between leaderboard views
  double timeoutSeconds = 90;    // the game client's own request time-out
  uint32_t seed = 1;
};

struct LoadReport {
  int64_t requests = 0;  // answered or failed, each counted once
  int64_t failures = 0;
  std::map<std::string, int64_t> failuresByKind;
  std::vector<std::string> failureSamples;   // the first few, with the request's action
  std::map<std::string, int64_t> byAction;   // "m/a" -> requests
  int64_t levelUpsBought = 0;
  int playersInGame = 0;                     // players that reached the game
  double elapsedSeconds = 0;
  std::vector<double> latenciesMs;           // one per request with an answer, sorted

  double Percentile(double fraction) const;  // 0 when there are no latencies
  // A few lines for people: requests, rate, percentiles and each failure kind.
  std::string Summary(int players) const;
};

// Creates the accounts PREFIX1 .. PREFIXcount with `password` and no character, hashed at the
// lightest cost (sign-in checks read the cost from the hash). Returns false when one exists.
[[nodiscard]] bool SeedLoadAccounts(Storage& storage, const std::string& prefix, int count,
                                    const std::string& password);

// Plays the plan to its end. A failure is any request that did not get a well-formed answer with
// the code its action allows: a refused connection, a connection closed without an answer, a
// time-out, a status other than 200, a body that is not a JSON object, or an unexpected "b".
LoadReport RunPlayers(const LoadPlan& plan);

}  // namespace vorenn::server::test
