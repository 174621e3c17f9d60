#include "platform/qt/first_window_probe.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "bench/child_process.h"

namespace {

using vorenn::bench::RunChild;

class FirstWindowProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/vorenn-probe-test.XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
  }
  void TearDown() override {
    std::remove((dir_ + "/shown").c_str());
    std::remove((dir_ + "/log").c_str());
    rmdir(dir_.c_str());
  }
  std::string Variable(const std::string& path) const {
    return std::string(vorenn::platform::kFirstWindowProbeVariable) + "=" + path;
  }
  std::string dir_;
};

TEST_F(FirstWindowProbe, EndsTheProgramAtItsFirstFrameWithTheMonotonicTime) {
  const std::string stamp = dir_ + "/shown";
  auto run = RunChild({VORENN_PROBE_WINDOW}, {"QT_QPA_PLATFORM=offscreen", Variable(stamp)}, dir_ + "/log", 60000);
  ASSERT_TRUE(run.has_value());
  ASSERT_FALSE(run->timedOut);
  EXPECT_EQ(run->exitStatus, 0);
  long long shownNs = 0;
  std::ifstream in(stamp);
  ASSERT_TRUE(in >> shownNs) << "no time written";
  // Taken by the child between its spawn and its end, on the same clock as the parent's.
  EXPECT_GT(shownNs, run->startNs);
  EXPECT_LT(shownNs, run->endNs);
}

TEST_F(FirstWindowProbe, AFileThatCannotBeWrittenEndsWithAFailure) {
  auto run = RunChild({VORENN_PROBE_WINDOW}, {"QT_QPA_PLATFORM=offscreen", Variable(dir_ + "/missing/shown")},
                      dir_ + "/log", 60000);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->exitStatus, 3);
}

TEST_F(FirstWindowProbe, UnsetOrEmptyVariableLeavesTheProgramAlone) {
  for (const char* setting : {"VORENN_UNRELATED=1", "VORENN_FIRST_WINDOW_PROBE="}) {
    auto run = RunChild({VORENN_PROBE_WINDOW, "--quit-after", "300"}, {"QT_QPA_PLATFORM=offscreen", setting},
                        dir_ + "/log", 60000);
    ASSERT_TRUE(run.has_value());
    EXPECT_EQ(run->exitStatus, 7) << setting;
  }
}

}  // namespace
