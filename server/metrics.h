// Counts for GET /metrics, written in the Prometheus text exposition format: requests by action and
// result, a latency histogram, and gauges read at the time of the scrape. Safe from any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>

namespace vorenn::server {

class Metrics {
 public:
  // `action` is "m/a" as logged; anything but the game's own actions is counted as "other", so a
  // client cannot grow the set of series. `code` is the answer's result code ("1", "0", "-2", ...).
  void CountRequest(const std::string& action, unsigned status, const std::string& code, double seconds);

  struct Gauges {
    int64_t openConnections = 0;
    int64_t hashQueue = 0;
    int64_t requestsWaiting = 0;
  };
  std::string Render(const Gauges& gauges) const;

  static constexpr std::array<double, 12> kBuckets = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                      0.1,   0.25,   0.5,   1.0,  2.5,   5.0};

 private:
  mutable std::mutex mutex_;
  // (action, status, code) -> count
  std::map<std::tuple<std::string, unsigned, std::string>, uint64_t> requests_;
  std::array<uint64_t, kBuckets.size()> buckets_{};
  uint64_t observed_ = 0;
  double secondsSum_ = 0;
};

}  // namespace vorenn::server
