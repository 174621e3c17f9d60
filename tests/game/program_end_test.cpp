// The program's end while a handler still waits for the server: the user closes the window during a
// slow login. Each case runs the game's own message loop in a child process, so the exit routine and
// the process's exit code are the real ones.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "engine/runtime/exit_routine.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/message_loop.h"
#include "game/game_entry.h"
#include "tests/game/game_flow_fixture.h"

namespace vorenn::testing {
namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int g_endRoutineRuns = 0;

// The game's end routine, counted.
void CountedEndRoutine() {
  ++g_endRoutineRuns;
  std::fprintf(stderr, "end routine %d\n", g_endRoutineRuns);
  game::EndRoutine();
}

class ProgramEndDeathTest : public GameFlowTest {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    GameFlowTest::SetUp();
  }

  // In the child: the game started, `action` run from the message loop once it is idle, the window
  // closed by the user once a request for `heldAction` has reached the server (which answers right
  // after), and the loop run to its end; then what the settings file and the boxes say, and the
  // program's exit.
  [[noreturn]] void PlayAndClose(const std::string& heldAction, std::function<void()> action) {
    const std::string settings = FileText(SettingsPath());
    server_.Hold(heldAction);
    StartGame();
    SetEndCallback(&CountedEndRoutine);
    bool acted = false;
    game_.Native().SetIdleDriver([&] {
      if (acted) return false;
      acted = true;
      action();
      return true;
    });
    platform::WindowHandle window = game_.Handle(units::kWindow);
    // The answer comes once the close has been asked for.
    std::thread user([&] {
      if (server_.WaitForBodies(heldAction, 1)) game_.Native().RequestClose(window);
      server_.ReleaseHeld();
    });
    RunMessageLoop();
    user.join();
    std::fprintf(stderr, "settings %s, %zu box(es)\n", FileText(SettingsPath()) == settings ? "kept" : "changed",
                 game_.Boxes().size());
    ExitProgram(0);
  }
};

TEST_F(ProgramEndDeathTest, ClosingTheWindowDuringASlowLoginEndsTheProgramCleanly) {
  std::ofstream(SettingsPath(), std::ios::binary) << "[登陆]\r\n账号=old\r\n密码=kept\r\n";
  EXPECT_EXIT(PlayAndClose("m=login&a=login",
                           [&] {
                             game_.Type(units::kAccountBox, "alice");
                             game_.Type(units::kPassword1Box, "secret1");
                             game_.Native().Click(game_.Handle(units::kLoginButton));
                           }),
              ::testing::ExitedWithCode(0), "^settings kept, 0 box\\(es\\)\nend routine 1\n$");
}

TEST_F(ProgramEndDeathTest, ClosingTheWindowWhileTheGameIsEnteredEndsTheProgramCleanly) {
  // The login answered; the window goes while the game's first user information is awaited.
  EXPECT_EXIT(PlayAndClose("m=user&a=login",
                           [&] {
                             game_.Type(units::kAccountBox, "alice");
                             game_.Type(units::kPassword1Box, "secret1");
                             game_.Native().Click(game_.Handle(units::kLoginButton));
                           }),
              ::testing::ExitedWithCode(0), "^settings changed, 0 box\\(es\\)\nend routine 1\n$");
}

}  // namespace
}  // namespace vorenn::testing
