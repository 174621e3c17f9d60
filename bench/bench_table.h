// Rows of the one table that `make bench` prints. A benchmark program appends its rows to the file
// named by VORENN_BENCH_TABLE (nothing happens when it is unset); scripts/bench prints all rows of
// the run together at the end. One row: what was measured, our figure, the peer or limit measured
// beside it and its figure, our figure divided by the peer's, and how it was measured.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vorenn::bench {

struct TableRow {
  std::string what;        // "JSON: 10,000-entry leaderboard, parse and walk"
  std::string ours;        // "38.2 ms"
  std::string peer;        // "nlohmann/json"
  std::string peerFigure;  // "6.9 ms"
  double ratio = 0;        // ours / peer, in the unit of the figures (0 = no peer)
  std::string how;         // "Google Benchmark, mean of N iterations, CPU time"
};

// Tabs and line breaks inside a field would break the line format; they become spaces.
inline std::string TableField(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

// A figure as the table shows it: "14.80 ms".
inline std::string TableFigure(double value, int decimals, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
  return text;
}

inline void AddTableRow(const TableRow& row) {
  const char* path = std::getenv("VORENN_BENCH_TABLE");
  if (path == nullptr || *path == '\0') return;
  std::FILE* out = std::fopen(path, "a");
  if (out == nullptr) return;
  std::fprintf(out, "%s\t%s\t%s\t%s\t%.2f\t%s\n", TableField(row.what).c_str(), TableField(row.ours).c_str(),
               TableField(row.peer).c_str(), TableField(row.peerFigure).c_str(), row.ratio,
               TableField(row.how).c_str());
  std::fclose(out);
}

}  // namespace vorenn::bench
