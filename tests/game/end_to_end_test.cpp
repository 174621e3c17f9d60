// A whole game against the reference server, started as a child process on a loopback port with a
// fresh SQLite file: registration, login, character creation, the game screen, the leaderboard,
// a level-up once the server's total covers its price, and sign-out.
#include <gtest/gtest.h>
#include <signal.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/game/game_flow_fixture.h"

namespace vorenn::testing {
namespace {

bool Accepts(int port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(uint16_t(port));
  bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return connected;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Starts the server and stops it again; Url() is empty when it did not come up.
class ServerProcess {
 public:
  ServerProcess() {
    std::string url = UnreachableUrl();  // a free port
    std::string port = url.substr(url.rfind(':') + 1);
    port = port.substr(0, port.find('/'));
    std::string db = "sqlite:" + ProgramFolder() + "/game-" + port + ".db";
    std::string listen = "127.0.0.1:" + port;
    pid_ = fork();
    if (pid_ == 0) {
      execl(VORENN_SERVER_PROGRAM, VORENN_SERVER_PROGRAM, "--listen", listen.c_str(), "--db", db.c_str(),
            "--quiet", static_cast<char*>(nullptr));
      _exit(127);
    }
        for (int i = 0; i < 200; ++i) {
      if (Accepts(std::stoi(port))) {
        url_ = url;
        return;
      }
      usleep(50 * 1000);
    }
  }
  ~ServerProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Url() const { return url_; }

 private:
  pid_t pid_ = -1;
  std::string url_;
};

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareProgram(); }
  void TearDown() override { game_.Stop(); }
  std::vector<std::unique_ptr<game::SkillRow>>& Rows() { return game::Globals().skillRows; }

  GameDriver game_;
};

TEST_F(EndToEndTest, APlayerRegistersCreatesACharacterLevelsUpAndSignsOut) {
  ServerProcess server;
  ASSERT_FALSE(server.Url().empty()) << "the server did not start";
  game_.Start(server.Url());

  game_.Click(units::kRegisterButton);
  game_.Type(units::kAccountBox, "tester");
  game_.Type(units::kPassword1Box, "pa&ss=word");
  game_.Type(units::kPassword2Box, "pa&ss=word");
  game_.Click(units::kConfirmButton);
  EXPECT_EQ(game_.BoxTexts(), std::vector<std::string>{"注册成功"});
  game_.ClearBoxes();

  game_.Click(units::kCancelButton);
  game_.Click(units::kLoginButton);
  ASSERT_TRUE(game_.BoxTexts().empty()) << game_.BoxTexts()[0];
  ASSERT_TRUE(game_.Visible(units::kCreateGroup)) << "a new account has no character";

  game_.Type(units::kCharacterNameBox, "小明");
  game_.Click(units::kCreateButton);
  EXPECT_EQ(game_.BoxTexts(), std::vector<std::string>{"角色创建成功"});
  game_.ClearBoxes();
  EXPECT_FALSE(game_.Visible(units::kCreateGroup));
  EXPECT_EQ(game_.Text(units::kWindow), "Vorenn 1.0 - [小明]");
  EXPECT_EQ(game_.Text(units::kRateLabel), "1(1位)");
  ASSERT_EQ(Rows().size(), 9u);
  EXPECT_EQ(game_.Int(units::kWindow, prop::kHeight), 8 * 42 + 205);
  EXPECT_EQ(game_.Text(Rows()[0]->Button(), prop::kButtonCaption), "吐纳术(0)×");

  game_.Click(units::kRankingButton);
  EXPECT_EQ(game_.ListRows(units::kRankingList), (std::vector<std::vector<std::string>>{{"1", "小明", "1"}}));
  game_.Click(units::kCharacterButton);

  // Skill 1 costs 10 at one a second: wait on the server's clock, then let the client's 30-second
  // refresh bring the total in.
  sleep(11);
  game_.Advance(30000);
  ASSERT_TRUE(EndsWith(game_.Text(Rows()[0]->Button(), prop::kButtonCaption), "√")) << "affordable now";
  game_.Click(Rows()[0]->Button());
  EXPECT_TRUE(game_.BoxTexts().empty());
  EXPECT_EQ(game_.Text(Rows()[0]->Button(), prop::kButtonCaption).rfind("吐纳术(1)", 0), 0u);
  EXPECT_EQ(game_.Text(units::kRateLabel), "2(1位)");

  game_.AnswerNextBox(platform::kAnswerYes);
  game_.Click(units::kSignOutButton);
  EXPECT_TRUE(game_.Visible(units::kSignInGroup));
  EXPECT_EQ(game_.Text(units::kPassword1Box), "pa&ss=word");
}

}  // namespace
}  // namespace vorenn::testing
