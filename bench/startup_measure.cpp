// Start-up of the client on the Qt backend (offscreen) beside a bare Qt 6 Widgets program that
// opens one empty window: time from the spawn to the first frame of the first window, and the
// peak resident memory up to then. Both end at that frame through the first-window hook.
//   startup_measure CLIENT PEER [RUNS [TEXT_PEER]]      (RUNS per program, default 7)
// Prints the medians and appends two rows to the benchmark table. TEXT_PEER, a bare window that
// draws one label of text, is measured in the same rounds and adds two informative rows without a
// goal: the toolkit's floor for a window that shows text.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench/bench_table.h"
#include "bench/child_process.h"
#include "platform/qt/first_window_probe.h"

namespace {

using vorenn::bench::ChildRun;

struct Figures {
  std::vector<double> ms;
  std::vector<double> peakMb;
};

// One run: false (with a message) when the program failed or never showed a window.
bool MeasureOnce(const std::string& program, const std::string& stampPath, Figures* figures) {
  std::remove(stampPath.c_str());
  std::optional<ChildRun> run = vorenn::bench::RunChild(
      {program}, {"QT_QPA_PLATFORM=offscreen", std::string(vorenn::platform::kFirstWindowProbeVariable) + "=" + stampPath},
      stampPath + ".log", 30000);
  if (!run || run->exitStatus != 0) {
    std::fprintf(stderr, "startup_measure: %s %s (output in %s.log)\n", program.c_str(),
                 !run ? "could not be started" : run->timedOut ? "showed no window within 30 s" : "failed",
                 stampPath.c_str());
    return false;
  }
  long long shownNs = 0;
  std::ifstream in(stampPath);
  if (!(in >> shownNs) || shownNs < run->startNs) {
    std::fprintf(stderr, "startup_measure: %s wrote no first-window time\n", program.c_str());
    return false;
  }
  figures->ms.push_back(double(shownNs - run->startNs) / 1e6);
  figures->peakMb.push_back(double(run->usage.ru_maxrss) / 1024.0);
  return true;
}

}  // namespace

using vorenn::bench::TableFigure;

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: startup_measure CLIENT PEER [RUNS [TEXT_PEER]]\n");
    return 2;
  }
  const std::string client = argv[1], peer = argv[2];
  const std::string textPeer = argc == 5 ? argv[4] : "";
  const int runs = argc >= 4 ? std::atoi(argv[3]) : 7;
  if (runs < 1) return std::fprintf(stderr, "startup_measure: RUNS must be at least 1\n"), 2;
  char dir[] = "/tmp/vorenn-startup.XXXXXX";
  if (mkdtemp(dir) == nullptr) return std::perror("startup_measure"), 1;
  const std::string stamp = std::string(dir) + "/shown";

  Figures ours, theirs, withText, warmUp;
  // One unmeasured run each first, so that all start from a warm page cache.
  bool ok = MeasureOnce(client, stamp, &warmUp) && MeasureOnce(peer, stamp, &warmUp) &&
            (textPeer.empty() || MeasureOnce(textPeer, stamp, &warmUp));
  for (int i = 0; ok && i < runs; ++i)
    ok = MeasureOnce(client, stamp, &ours) && MeasureOnce(peer, stamp, &theirs) &&
         (textPeer.empty() || MeasureOnce(textPeer, stamp, &withText));
  if (!ok) return 1;
  std::remove(stamp.c_str());
  std::remove((stamp + ".log").c_str());
  rmdir(dir);

  using vorenn::bench::Median;
  const double ms = Median(ours.ms), peerMs = Median(theirs.ms);
  const double mb = Median(ours.peakMb), peerMb = Median(theirs.peakMb);
  std::printf("start-up to first window: client %.1f ms, bare Qt window %.1f ms (medians of %d)\n", ms, peerMs, runs);
  std::printf("peak resident memory by then: client %.1f MB, bare Qt window %.1f MB\n", mb, peerMb);
  const std::string how = "median of " + std::to_string(runs) +
                          " interleaved runs each after one warm-up; QT_QPA_PLATFORM=offscreen; ";
  vorenn::bench::AddTableRow({"Start-up: spawn to first frame of first window [goal: <= 1.30]", TableFigure(ms, 1, "ms"),
                              "bare Qt 6 Widgets window", TableFigure(peerMs, 1, "ms"), peerMs > 0 ? ms / peerMs : 0,
                              how + "CLOCK_MONOTONIC before posix_spawn and at the first expose"});
  vorenn::bench::AddTableRow({"Start-up: peak resident memory to first window [goal: <= 1.20]", TableFigure(mb, 1, "MB"),
                              "bare Qt 6 Widgets window", TableFigure(peerMb, 1, "MB"), peerMb > 0 ? mb / peerMb : 0,
                              how + "ru_maxrss of the child from wait4"});
  if (textPeer.empty()) return 0;
  const double textMs = Median(withText.ms), textMb = Median(withText.peakMb);
  std::printf("the same for a bare Qt window with one label of text: %.1f ms, %.1f MB\n", textMs, textMb);
  const std::string textPeerName = "bare Qt 6 Widgets window, one label of the sign-in title's text and font";
  vorenn::bench::AddTableRow({"Start-up: spawn to first frame, beside a window with text (informative, no goal)",
                              TableFigure(ms, 1, "ms"), textPeerName, TableFigure(textMs, 1, "ms"),
                              textMs > 0 ? ms / textMs : 0, how + "same runs as the rows above"});
  vorenn::bench::AddTableRow({"Start-up: peak resident memory, beside a window with text (informative, no goal)",
                              TableFigure(mb, 1, "MB"), textPeerName, TableFigure(textMb, 1, "MB"),
                              textMb > 0 ? mb / textMb : 0, how + "same runs as the rows above"});
  return 0;
}
