// One server round trip on loopback: the client's WebRequest (worker thread, record stream and
// message-aware wait, on the headless backend) POSTing the user-information request to a running
// game server, beside curl's command-line tool sending the same request: one process per request
// (what a script calling curl pays), and all requests from one process on fresh connections (the
// transfer alone).
//   round_trip_measure URL TOKEN CURL [N]      (N requests each, default 200)
// Prints the figures and appends two rows to the benchmark table.
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "bench/child_process.h"
#include "commands/command_values.h"
#include "engine/core/memory.h"
#include "platform/headless/headless_backend.h"
#include "web/web_dll_rows.h"
#include "web/web_request.h"

namespace {

void SetUpWeb() {
  vorenn::platform::InstallHeadlessBackend();
  static std::array<vorenn::DllFunctionRow, vorenn::kWebDllRowCount> rows = vorenn::MakeWebDllRows();
  vorenn::SetDllFunctionTable(rows.data(), vorenn::kWebDllRowCount);
}

// One request; the answer's text, or empty when the request failed.
std::string Post(const std::string& url, void* body) {
  vorenn::WebRequestArgs args;
  args.method = "POST";
  args.body = body;
  void* result = vorenn::WebRequest(url.c_str(), args);
  vorenn::ByteSpan bytes = vorenn::BytesOfByteArrayBlock(result);
  std::string answer(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  vorenn::FreeBlock(result);
  return answer;
}

// Milliseconds per request, or empty after printing why.
std::vector<double> TimeWebRequest(const std::string& url, const std::string& text, int count) {
  void* body = vorenn::MakeByteArrayBlock(vorenn::ByteSpan(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  std::vector<double> ms;
  std::string first = Post(url, body);
  if (first.find("\"b\":\"1\"") == std::string::npos) {
    std::fprintf(stderr, "round_trip_measure: the server answered \"%s\", not a user's information\n", first.c_str());
  } else {
    for (int i = 0; i < count; ++i) {
      auto start = std::chrono::steady_clock::now();
      size_t size = Post(url, body).size();
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      if (size != first.size()) {
        std::fprintf(stderr, "round_trip_measure: answer %d has %zu bytes, the first had %zu\n", i, size, first.size());
        ms.clear();
        break;
      }
    }
  }
  vorenn::FreeBlock(body);
  return ms;
}

std::vector<double> TimeCurl(const std::string& curl, const std::string& url, const std::string& text, int count) {
  std::vector<double> ms;
  for (int i = 0; i <= count; ++i) {
    auto run = vorenn::bench::RunChild({curl, "-s", "-f", "-o", "/dev/null", "-d", text, url}, {}, "", 10000);
    if (!run || run->exitStatus != 0) {
      std::fprintf(stderr, "round_trip_measure: %s failed on request %d\n", curl.c_str(), i);
      return {};
    }
    if (i > 0) ms.push_back(double(run->endNs - run->startNs) / 1e6);  // the first warms the cache
  }
  return ms;
}

// Milliseconds per request over N requests from one curl process, each on a new connection as
// WebRequest's are; 0 after printing why.
double TimeCurlOneProcess(const std::string& curl, const std::string& url, const std::string& text, int count) {
  std::vector<std::string> args = {curl, "-s", "-f", "-H", "Connection: close", "-d", text};
  args.insert(args.end(), size_t(count), url);
  auto run = vorenn::bench::RunChild(args, {}, "", 60000);
  if (!run || run->exitStatus != 0) {
    std::fprintf(stderr, "round_trip_measure: %s with %d addresses failed\n", curl.c_str(), count);
    return 0;
  }
  return double(run->endNs - run->startNs) / 1e6 / count;
}

double Mean(const std::vector<double>& values) {
  double sum = 0;
  for (double v : values) sum += v;
  return values.empty() ? 0 : sum / double(values.size());
}

}  // namespace

using vorenn::bench::TableFigure;

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: round_trip_measure URL TOKEN CURL [N]\n");
    return 2;
  }
  const std::string url = argv[1], text = std::string("m=user&a=xin&md5=") + argv[2], curl = argv[3];
  const int count = argc == 5 ? std::atoi(argv[4]) : 200;
  if (count < 1) return std::fprintf(stderr, "round_trip_measure: N must be at least 1\n"), 2;
  SetUpWeb();
  std::vector<double> ours = TimeWebRequest(url, text, count);
  std::vector<double> theirs = ours.empty() ? ours : TimeCurl(curl, url, text, count);
  const double oneProcessMs = theirs.empty() ? 0 : TimeCurlOneProcess(curl, url, text, count);
  if (ours.empty() || theirs.empty() || oneProcessMs <= 0) return 1;

  using vorenn::bench::Median;
  const double ms = Median(ours), peerMs = Median(theirs);
  std::printf("round trip m=user&a=xin: WebRequest median %.3f ms (mean %.3f), curl median %.3f ms (mean %.3f), "
              "one curl process %.3f ms per request, %d each\n",
              ms, Mean(ours), peerMs, Mean(theirs), oneProcessMs, count);
  vorenn::bench::AddTableRow({"Round trip: WebRequest POST m=user&a=xin to the server", TableFigure(ms, 3, "ms"),
                              "curl -s -d (one process per request)", TableFigure(peerMs, 3, "ms"),
                              peerMs > 0 ? ms / peerMs : 0,
                              "median of " + std::to_string(count) +
                                  " sequential requests each on loopback, SQLite server; curl timed spawn to exit"});
  vorenn::bench::AddTableRow({"Round trip: WebRequest POST m=user&a=xin to the server", TableFigure(ms, 3, "ms"),
                              "curl, one process, Connection: close", TableFigure(oneProcessMs, 3, "ms"),
                              ms / oneProcessMs,
                              "ours: median of " + std::to_string(count) + "; curl: " + std::to_string(count) +
                                  " addresses in one command, total time divided by " + std::to_string(count)});
  return 0;
}
