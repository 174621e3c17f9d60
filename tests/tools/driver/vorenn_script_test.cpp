// `vorenn --script FILE` as a user of the command line sees it: what it prints on each stream and
// the status it ends with, on the headless backend and (for pictures) on Qt's offscreen platform.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class VorennScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorenn-script-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Runs the program on the script; `options` come before --script.
  Outcome Run(const std::string& script, const std::string& options = "--headless",
              const std::string& environment = "") {
    std::ofstream(dir_ / "script.txt") << script;
    std::string command = environment + " timeout 60 '" VORENN_PROGRAM "' " + options + " --script '" +
                          (dir_ / "script.txt").string() + "' >'" + (dir_ / "out").string() + "' 2>'" +
                          (dir_ / "err").string() + "'";
    int raw = std::system(command.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = Slurp(dir_ / "out");
    o.err = Slurp(dir_ / "err");
    return o;
  }

  fs::path dir_;
};

TEST_F(VorennScriptTest, ScriptRunsAfterTheWindowHasLoadedAndTheProgramEndsWithItsOwnStatus) {
  Outcome o = Run(
      "echo first\n"
      "expect 窗口_主 title Vorenn 1.0\n"
      "expect 分组框_登陆 visible 1\n"
      "prop 分组框_游戏 visible 1\n"
      "answer 6\n"
      "click 按钮_退出\n"
      "expect 分组框_游戏 visible 1\n"
      "echo last\n");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out,
            "first\n"
            "PROP 分组框_游戏 5 1\n"
            "MSGBOX style=4 caption=询问 text=确认要退出登录？\n"
            "last\n");
  EXPECT_EQ(o.err, "");
}

TEST_F(VorennScriptTest, FailedExpectationsAreListedOnStandardErrorAndEndWithStatusOne) {
  Outcome o = Run(
      "expect 窗口_主 title Vorenn(自动离线)\n"
      "click 按钮_创建\n"
      "echo still here\n");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "still here\n");
  EXPECT_EQ(o.err,
            "line 1: expect 窗口_主 title: wanted \"Vorenn(自动离线)\", got \"Vorenn 1.0\"\n"
            "line 2: click 按钮_创建: 按钮_创建 is not showing\n"
            "2 line(s) failed\n");
}

TEST_F(VorennScriptTest, DumpWritesOneLinePerRecordAndTheTrayLine) {
  Outcome o = Run("dump\n");
  EXPECT_EQ(o.status, 0) << o.err;
  std::istringstream lines(o.out);
  std::string line, last;
  int count = 0;
  while (std::getline(lines, line)) ++count, last = line;
  EXPECT_EQ(count, 49 + 1);
  EXPECT_EQ(last, "{\"tray\":false}");
}

TEST_F(VorennScriptTest, UnreadableScriptEndsWithStatusTwoBeforeTheProgramStarts) {
  std::string command = "'" VORENN_PROGRAM "' --headless --script '" + (dir_ / "missing.txt").string() + "' 2>/dev/null";
  int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 2);
}

TEST_F(VorennScriptTest, ShotOnQtWritesAPictureOfTheWindowAndHeadlessOnlyNotesIt) {
  fs::path picture = dir_ / "window.png";
  Outcome o = Run("shot " + picture.string() + "\n", "", "QT_QPA_PLATFORM=offscreen");
  EXPECT_EQ(o.status, 0) << o.err;
  ASSERT_TRUE(fs::exists(picture));
  std::string png = Slurp(picture);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

  fs::remove(picture);
  o = Run("shot " + picture.string() + "\n");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_FALSE(fs::exists(picture));
  EXPECT_NE(o.err.find("no picture saved"), std::string::npos) << o.err;
}

TEST_F(VorennScriptTest, OneScriptGivesTheSameTranscriptOnBothBackends) {
  const std::string script =
      "click 按钮_注册账号\n"
      "set 编辑框_账号 alice\n"
      "set 编辑框_密码1 one\n"
      "set 编辑框_密码2 two\n"
      "click 按钮_确认\n"
      "click 按钮_取消\n"
      "click 按钮_登陆\n"
      "prop 分组框_游戏 visible 1\n"
      "answer 6\n"
      "click 按钮_退出\n"
      "expect 分组框_游戏 visible 1\n"
      "answer 5\n"
      "click 按钮_退出\n"
      "expect 分组框_登陆 visible 1\n"
      "minimize\n"
      "dump\n"
      "tray 1\n"
      "expect 窗口_主 visible 1\n";
  // Nothing listens on port 1: the login fails at once with the transport message.
  const std::string server = "VORENN_SERVER_URL=http://127.0.0.1:1/game/do.php";
  Outcome headless = Run(script, "--headless", server);
  Outcome qt = Run(script, "", server + " QT_QPA_PLATFORM=offscreen");
  EXPECT_EQ(headless.status, 0) << headless.err;
  EXPECT_EQ(qt.status, 0) << qt.err;
  EXPECT_EQ(qt.out, headless.out);
  const std::string sure = "MSGBOX style=4 caption=询问 text=确认要退出登录？\n";
  EXPECT_NE(headless.out.find("MSGBOX style=0 caption=信息： text=两次输入的密码不同！\n"), std::string::npos);
  EXPECT_NE(headless.out.find("MSGBOX style=0 caption=信息： text=错误信息：\\r\\n"), std::string::npos);
  EXPECT_NE(headless.out.find(sure + sure), std::string::npos);
  EXPECT_NE(headless.out.find("{\"tray\":true,\"tip\":\"点击恢复！\\r\\nVorenn 1.0\"}\n"), std::string::npos);
}

// For the idle benchmark: the program stays in its own loop after the last line until it is ended.
TEST_F(VorennScriptTest, KeepOpenLeavesTheProgramRunningAfterTheLastLine) {
  std::ofstream(dir_ / "script.txt") << "echo kept\n";
  const std::string out = (dir_ / "out").string(), state = (dir_ / "state").string();
  std::string command = "VORENN_SCRIPT_KEEP_OPEN=1 timeout 60 '" VORENN_PROGRAM "' --headless --script '" +
                        (dir_ / "script.txt").string() + "' >'" + out + "' 2>/dev/null & pid=$!; " +
                        "for i in $(seq 600); do grep -q kept '" + out + "' && break; sleep 0.1; done; sleep 1; " +
                        "if kill -0 $pid 2>/dev/null; then echo running >'" + state + "'; kill $pid; fi; wait $pid";
  ASSERT_NE(std::system(command.c_str()), -1);
  EXPECT_EQ(Slurp(dir_ / "out"), "kept\n");
  EXPECT_EQ(Slurp(dir_ / "state"), "running\n") << "the program ended after its script";
}

}  // namespace
