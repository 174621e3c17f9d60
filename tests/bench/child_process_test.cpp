#include "bench/child_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using vorenn::bench::Median;
using vorenn::bench::RunChild;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ChildProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    char path[] = "/tmp/vorenn-child-test.XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    output_ = path;
  }
  void TearDown() override { std::remove(output_.c_str()); }
  std::string output_;
};

TEST_F(ChildProcess, ReportsHowTheChildEnded) {
  struct Row {
    const char* script;
    int status;
  } rows[] = {
      {"exit 0", 0},
      {"exit 3", 3},
      {"exit 255", 255},
      {"kill -KILL $$", -1},  // killed by a signal: no exit code
  };
  for (const Row& row : rows) {
    auto run = RunChild({"/bin/sh", "-c", row.script}, {}, "", 30000);
    ASSERT_TRUE(run.has_value()) << row.script;
    EXPECT_EQ(run->exitStatus, row.status) << row.script;
    EXPECT_FALSE(run->timedOut) << row.script;
    EXPECT_LE(run->startNs, run->endNs) << row.script;
  }
}

TEST_F(ChildProcess, KillsAChildThatOutlivesItsTimeOut) {
  auto run = RunChild({"/bin/sleep", "30"}, {}, "", 50);
  ASSERT_TRUE(run.has_value());
  EXPECT_TRUE(run->timedOut);
  EXPECT_EQ(run->exitStatus, -1);
}

TEST_F(ChildProcess, AProgramThatCannotStartGivesNothing) {
  EXPECT_FALSE(RunChild({"/nonexistent/program"}, {}, "", 1000).has_value());
}

TEST_F(ChildProcess, ExtraVariablesJoinAndReplaceTheInheritedOnes) {
  ASSERT_EQ(setenv("VORENN_CHILD_TEST_KEPT", "kept", 1), 0);
  ASSERT_EQ(setenv("VORENN_CHILD_TEST_REPLACED", "old", 1), 0);
  auto run = RunChild({"/bin/sh", "-c", "env | grep '^VORENN_CHILD_TEST_' | sort"},
                      {"VORENN_CHILD_TEST_REPLACED=new", "VORENN_CHILD_TEST_ADDED=added"}, output_, 30000);
  unsetenv("VORENN_CHILD_TEST_KEPT");
  unsetenv("VORENN_CHILD_TEST_REPLACED");
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(ReadAll(output_),
            "VORENN_CHILD_TEST_ADDED=added\nVORENN_CHILD_TEST_KEPT=kept\nVORENN_CHILD_TEST_REPLACED=new\n");
}

TEST_F(ChildProcess, OutputAndErrorsGoToTheNamedFile) {
  auto run = RunChild({"/bin/sh", "-c", "echo out; echo err >&2"}, {}, output_, 30000);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(ReadAll(output_), "out\nerr\n");
}

// The peak memory must be the child's own: a child touching 64 MB shows at least that much, more
// than the test process itself uses.
TEST_F(ChildProcess, PeakMemoryIsTheChilds) {
  auto run = RunChild({"/bin/dd", "if=/dev/zero", "of=/dev/null", "bs=64M", "count=1"}, {}, "", 30000);
  ASSERT_TRUE(run.has_value());
  ASSERT_EQ(run->exitStatus, 0);
  EXPECT_GE(run->usage.ru_maxrss, 64 * 1024);  // kilobytes
}

TEST(Median, MiddleValueOrMeanOfTheTwoMiddleOnes) {
  struct Row {
    std::vector<double> values;
    double median;
  } rows[] = {
      {{}, 0}, {{5}, 5}, {{3, 1, 2}, 2}, {{4, 1, 3, 2}, 2.5}, {{9, 9, 1}, 9}, {{-1, 10}, 4.5},
  };
  for (const Row& row : rows) EXPECT_DOUBLE_EQ(Median(row.values), row.median) << row.values.size();
}

}  // namespace
