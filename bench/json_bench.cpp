// A leaderboard answer of 10,000 players, parsed and read the way the game reads it (the list, then
// each entry's "name" through DecodeUnicodeEscapes and its "money" as text), next to nlohmann/json
// doing the same in the same run. Prints both, the ratio, and the table row.
//
// `json_bench --once vorenn|nlohmann PLAYERS` runs one parse-and-walk and nothing else, for
// instruction counts:
//   valgrind --tool=callgrind --toggle-collect='*ParseAndWalk*' bin/json_bench --once vorenn 10000
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "bench/bench_table.h"
#include "json/json_parser.h"

namespace {

std::string LeaderboardAnswer(int players) {
  std::string text = "{\"b\":\"1\",\"t\":\"\",\"list\":[";
  for (int i = 0; i < players; ++i) {
    if (i > 0) text += ',';
    char entry[200];
    std::snprintf(entry, sizeof entry,
                  "{\"name\":\"\\u73a9\\u5bb6%d\\u53f7\",\"money\":9%029d}", i, i + 1);
    text += entry;
  }
  return text + "]}";
}

// 10,000 players is the case that matters; 20,000 shows that the cost stays linear.
const std::string& Answer(int players) {
  static std::map<int, std::string> answers;
  auto [it, fresh] = answers.try_emplace(players);
  if (fresh) it->second = LeaderboardAnswer(players);
  return it->second;
}

// Both return the bytes read, or 0 when the document did not come out as expected.
[[gnu::noinline]] size_t VorennParseAndWalk(const std::string& text, int players) {
  vorenn::JsonParser parser;
  int32_t ok = 0;
  std::string error;
  auto doc = parser.Parse(text, &ok, &error);
  auto list = doc->GetMember("list");
  size_t bytes = 0;
  for (int32_t i = 1; i <= list->ArraySize(); ++i) {
    auto entry = list->GetElement(i);
    bytes += vorenn::DecodeUnicodeEscapes(entry->GetMember("name")->AsText()).size();
    bytes += entry->GetMember("money")->AsText().size();
  }
  return ok == 1 && list->ArraySize() == players ? bytes : 0;
}

[[gnu::noinline]] size_t NlohmannParseAndWalk(const std::string& text, int players) {
  auto doc = nlohmann::json::parse(text);
  size_t bytes = 0;
  for (const auto& entry : doc["list"]) {
    bytes += entry["name"].get<std::string>().size();
    bytes += entry["money"].dump().size();
  }
  return doc["list"].size() == size_t(players) ? bytes : 0;
}

template <size_t (*Walk)(const std::string&, int)>
void Run(benchmark::State& state) {
  int players = int(state.range(0));
  const std::string& text = Answer(players);
  for (auto _ : state) {
    size_t bytes = Walk(text, players);
    if (bytes == 0) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void Vorenn(benchmark::State& state) { Run<VorennParseAndWalk>(state); }
void Nlohmann(benchmark::State& state) { Run<NlohmannParseAndWalk>(state); }
BENCHMARK(Vorenn)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(Nlohmann)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Keeps every run's CPU time (the machine is shared, so wall time says little) for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    for (int players : {1000, 10000, 20000}) {
      auto v = times_.find("Vorenn/" + std::to_string(players));
      auto n = times_.find("Nlohmann/" + std::to_string(players));
      if (v == times_.end() || n == times_.end() || n->second <= 0) continue;
      std::printf("%d players, %zu bytes: Vorenn %.2f ms, nlohmann %.2f ms, ratio %.1f\n", players,
                  Answer(players).size(), v->second, n->second, v->second / n->second);
      if (players != 10000) continue;
      vorenn::bench::AddTableRow({"JSON: 10,000-entry leaderboard (729 KB), parse and walk",
                                  vorenn::bench::TableFigure(v->second, 2, "ms"), "nlohmann/json",
                                  vorenn::bench::TableFigure(n->second, 2, "ms"), v->second / n->second,
                                  "bench/json_bench.cpp, Google Benchmark, CPU time per iteration"});
    }
  }

 private:
  std::map<std::string, double> times_;
};

int RunOnce(const std::string& which, int players) {
  const std::string& text = Answer(players);
  size_t bytes = which == "nlohmann" ? NlohmannParseAndWalk(text, players) : VorennParseAndWalk(text, players);
  std::printf("%s, %d players: %zu bytes read\n", which.c_str(), players, bytes);
  return bytes == 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--once") return RunOnce(argv[2], std::atoi(argv[3]));
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
