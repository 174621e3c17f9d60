#include "server/metrics.h"

#include <cstdio>
#include <set>
#include <tuple>

namespace vorenn::server {

namespace {

const std::set<std::string>& KnownActions() {
  static const std::set<std::string> known = {"login/register", "login/xiugai", "login/login", "user/login",
                                              "user/xin",       "user/reg",     "user/lvup",   "user/phb",
                                              "health",         "metrics"};
  return known;
}

// Result codes are short numbers; anything else would be a fault, counted together.
std::string TameCode(const std::string& code) {
  if (code.empty() || code.size() > 3) return "other";
  for (char c : code) {
    if (!(c == '-' || (c >= '0' && c <= '9'))) return "other";
  }
  return code;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace

void Metrics::CountRequest(const std::string& action, unsigned status, const std::string& code, double seconds) {
  std::string name = KnownActions().count(action) ? action : "other";
  std::lock_guard lock(mutex_);
  ++requests_[{name, status, TameCode(code)}];
  for (size_t i = 0; i < kBuckets.size(); ++i) {
    if (seconds <= kBuckets[i]) ++buckets_[i];
  }
  ++observed_;
  secondsSum_ += seconds;
}

std::string Metrics::Render(const Gauges& gauges) const {
  std::string out;
  std::lock_guard lock(mutex_);
  out += "# HELP vorenn_requests_total Requests answered, by action, HTTP status and result code.\n";
  out += "# TYPE vorenn_requests_total counter\n";
  for (const auto& [key, count] : requests_) {
    const auto& [action, status, code] = key;
    out += "vorenn_requests_total{action=\"" + action + "\",status=\"" + std::to_string(status) + "\",code=\"" +
           code + "\"} " + std::to_string(count) + "\n";
  }
  out += "# HELP vorenn_request_duration_seconds Time from a request's header to its answer.\n";
  out += "# TYPE vorenn_request_duration_seconds histogram\n";
  for (size_t i = 0; i < kBuckets.size(); ++i) {
    out += "vorenn_request_duration_seconds_bucket{le=\"" + Number(kBuckets[i]) + "\"} " +
           std::to_string(buckets_[i]) + "\n";
  }
  out += "vorenn_request_duration_seconds_bucket{le=\"+Inf\"} " + std::to_string(observed_) + "\n";
  out += "vorenn_request_duration_seconds_sum " + Number(secondsSum_) + "\n";
  out += "vorenn_request_duration_seconds_count " + std::to_string(observed_) + "\n";
  out += "# HELP vorenn_open_connections Client connections open now.\n";
  out += "# TYPE vorenn_open_connections gauge\n";
  out += "vorenn_open_connections " + std::to_string(gauges.openConnections) + "\n";
  out += "# HELP vorenn_hash_queue Password hashes waiting for a hashing thread.\n";
  out += "# TYPE vorenn_hash_queue gauge\n";
  out += "vorenn_hash_queue " + std::to_string(gauges.hashQueue) + "\n";
  out += "# HELP vorenn_requests_waiting Sign-in requests waiting for a worker.\n";
  out += "# TYPE vorenn_requests_waiting gauge\n";
  out += "vorenn_requests_waiting " + std::to_string(gauges.requestsWaiting) + "\n";
  return out;
}

}  // namespace vorenn::server
