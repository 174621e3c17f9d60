// UnlNumAdd, UnlNumLess and UnlNumDivide against GMP at 30, 300 and 3,000 digits, in one run; the
// ratios (UnlNum time / GMP time) are printed after the table.
//
// GMP works on the same integers: its add writes into a result that already has room (its usual
// use), "GmpAddFresh" also creates and clears the result as UnlNumAdd must. Less compares numbers
// that differ only in their last digit, so both sides read every group. Divide divides an N-digit
// number by one of N/2 digits to 0 places.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "commands/unlnum.h"

namespace {

using vorenn::UnlNum;

std::string RandomDigits(size_t count, std::mt19937_64& rng) {
  std::string s;
  std::uniform_int_distribution<int> digit(0, 9);
  s += char('1' + digit(rng) % 9);
  while (s.size() < count) s += char('0' + digit(rng));
  return s;
}

// Operands for one size: a and b of N digits, `near` equal to a but in its last digit, `half` of
// N/2 digits.
struct Operands {
  std::string a, b, near, half;
  explicit Operands(size_t digits) {
    std::mt19937_64 rng(digits);
    a = RandomDigits(digits, rng);
    b = RandomDigits(digits, rng);
    near = a;
    near.back() = near.back() == '9' ? '8' : char(near.back() + 1);
    half = RandomDigits(digits / 2, rng);
  }
};

struct Numbers {
  UnlNum *a = nullptr, *b = nullptr, *c = nullptr, *near = nullptr;
  explicit Numbers(const Operands& o) {
    vorenn::UnlNumFromText(&a, o.a.c_str());
    vorenn::UnlNumFromText(&b, o.b.c_str());
    vorenn::UnlNumFromText(&c, o.half.c_str());
    vorenn::UnlNumFromText(&near, o.near.c_str());
  }
  ~Numbers() {
    vorenn::UnlNumFree(&a);
    vorenn::UnlNumFree(&b);
    vorenn::UnlNumFree(&c);
    vorenn::UnlNumFree(&near);
  }
};

struct GmpNumbers {
  mpz_t a, b, c, near, r;
  explicit GmpNumbers(const Operands& o) {
    mpz_init_set_str(a, o.a.c_str(), 10);
    mpz_init_set_str(b, o.b.c_str(), 10);
    mpz_init_set_str(c, o.half.c_str(), 10);
    mpz_init_set_str(near, o.near.c_str(), 10);
    mpz_init2(r, mpz_sizeinbase(a, 2) + 64);
  }
  ~GmpNumbers() { mpz_clears(a, b, c, near, r, nullptr); }
};

void UnlNumAdd(benchmark::State& state) {
  Numbers n(Operands(size_t(state.range(0))));
  for (auto _ : state) {
    UnlNum* sum = vorenn::UnlNumAdd(n.a, n.b);
    benchmark::DoNotOptimize(sum);
    vorenn::UnlNumFree(&sum);
  }
}

void GmpAdd(benchmark::State& state) {
  GmpNumbers g(Operands(size_t(state.range(0))));
  for (auto _ : state) {
    mpz_add(g.r, g.a, g.b);
    benchmark::DoNotOptimize(g.r);
  }
}

void GmpAddFresh(benchmark::State& state) {
  GmpNumbers g(Operands(size_t(state.range(0))));
  for (auto _ : state) {
    mpz_t sum;
    mpz_init(sum);
    mpz_add(sum, g.a, g.b);
    benchmark::DoNotOptimize(sum);
    mpz_clear(sum);
  }
}

void UnlNumLess(benchmark::State& state) {
  Numbers n(Operands(size_t(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(vorenn::UnlNumLess(n.a, n.near));
}

void GmpLess(benchmark::State& state) {
  GmpNumbers g(Operands(size_t(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(mpz_cmp(g.a, g.near) < 0);
}

void UnlNumDivide(benchmark::State& state) {
  Numbers n(Operands(size_t(state.range(0))));
  for (auto _ : state) {
    UnlNum* q = vorenn::UnlNumDivide(n.a, n.c, 0);
    benchmark::DoNotOptimize(q);
    vorenn::UnlNumFree(&q);
  }
}

void GmpDivide(benchmark::State& state) {
  GmpNumbers g(Operands(size_t(state.range(0))));
  for (auto _ : state) {
    mpz_tdiv_q(g.r, g.a, g.c);
    benchmark::DoNotOptimize(g.r);
  }
}

// Keeps each run's time per iteration so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        nanos_[run.benchmark_name()] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // The table rows: the 300-digit operations, and division at 3,000 digits where the quadratic
  // long division shows.
  void WriteRows() const {
    const struct {
      const char* what;
      const char* ours;
      const char* peer;
      const char* peerName;
    } rows[] = {
        {"UnlNum add, 300 digits (new result)", "UnlNumAdd/300", "GmpAddFresh/300", "GMP mpz_init + mpz_add + mpz_clear"},
        {"UnlNum add, 300 digits", "UnlNumAdd/300", "GmpAdd/300", "GMP mpz_add into a ready result"},
        {"UnlNum less, 300 digits (differ in the last digit)", "UnlNumLess/300", "GmpLess/300", "GMP mpz_cmp"},
        {"UnlNum divide, 300 by 150 digits, 0 places", "UnlNumDivide/300", "GmpDivide/300", "GMP mpz_tdiv_q"},
        {"UnlNum divide, 3,000 by 1,500 digits, 0 places", "UnlNumDivide/3000", "GmpDivide/3000", "GMP mpz_tdiv_q"},
    };
    for (const auto& row : rows) {
      auto ours = nanos_.find(row.ours);
      auto theirs = nanos_.find(row.peer);
      if (ours == nanos_.end() || theirs == nanos_.end() || theirs->second <= 0) continue;
      vorenn::bench::AddTableRow({row.what, vorenn::bench::TableFigure(ours->second, 1, "ns"), row.peerName,
                                  vorenn::bench::TableFigure(theirs->second, 1, "ns"), ours->second / theirs->second,
                                  "bench/unlnum_bench.cpp, Google Benchmark, CPU time per operation"});
    }
  }

  void PrintRatios() const {
    const char* pairs[][2] = {{"UnlNumAdd", "GmpAdd"},
                              {"UnlNumAdd", "GmpAddFresh"},
                              {"UnlNumLess", "GmpLess"},
                              {"UnlNumDivide", "GmpDivide"}};
    std::printf("\nUnlNum time / GMP time\n%-26s %10s %10s %10s\n", "", "30", "300", "3000");
    for (const auto& pair : pairs) {
      std::printf("%-26s", (std::string(pair[0]) + " / " + pair[1]).c_str());
      for (int digits : {30, 300, 3000}) {
        auto ours = nanos_.find(std::string(pair[0]) + "/" + std::to_string(digits));
        auto theirs = nanos_.find(std::string(pair[1]) + "/" + std::to_string(digits));
        if (ours == nanos_.end() || theirs == nanos_.end() || theirs->second <= 0) {
          std::printf(" %10s", "-");
        } else {
          std::printf(" %10.2f", ours->second / theirs->second);
        }
      }
      std::printf("\n");
    }
  }

 private:
  std::map<std::string, double> nanos_;
};

BENCHMARK(UnlNumAdd)->Arg(30)->Arg(300)->Arg(3000);
BENCHMARK(GmpAdd)->Arg(30)->Arg(300)->Arg(3000);
BENCHMARK(GmpAddFresh)->Arg(30)->Arg(300)->Arg(3000);
BENCHMARK(UnlNumLess)->Arg(30)->Arg(300)->Arg(3000);
BENCHMARK(GmpLess)->Arg(30)->Arg(300)->Arg(3000);
BENCHMARK(UnlNumDivide)->Arg(30)->Arg(300)->Arg(3000);
BENCHMARK(GmpDivide)->Arg(30)->Arg(300)->Arg(3000);

// `unlnum_bench --once divide DIGITS` divides once, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='vorenn::UnlNumDivide*' bin/unlnum_bench --once divide 3000
int RunOnce(int digits) {
  Numbers n{Operands(size_t(digits))};
  UnlNum* q = vorenn::UnlNumDivide(n.a, n.c, 0);
  std::printf("%d digits: quotient of %lld digits\n", digits, static_cast<long long>(vorenn::UnlNumIntegerDigits(q)));
  vorenn::UnlNumFree(&q);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--once" && std::string(argv[2]) == "divide") return RunOnce(std::atoi(argv[3]));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  reporter.WriteRows();
  benchmark::Shutdown();
  return 0;
}
