// Start-up, the sign-in box's three forms, login with the settings file, registration, password
// change, character creation, the server's "-1" and "-2", transport failures and sign-out.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "json/json_parser.h"
#include "tests/game/game_flow_fixture.h"
#include "tests/support/permission_bits.h"

namespace vorenn::testing {
namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class AccountFlowTest : public GameFlowTest {};

TEST_F(AccountFlowTest, StartsWithTheLoginFormFilledFromTheSettingsFile) {
  std::ofstream(SettingsPath(), std::ios::binary) << "[登陆]\r\n账号=alice\r\n密码=p&w\r\n";
  StartGame();
  EXPECT_EQ(game_.Text(units::kWindow), "Vorenn 1.0");
  EXPECT_EQ(game::Globals().serverUrl.Str(), server_.Url());
  EXPECT_EQ(game_.Text(units::kAccountBox), "alice");
  EXPECT_EQ(game_.Text(units::kPassword1Box), "p&w");
  EXPECT_TRUE(game_.Visible(units::kSignInGroup));
  EXPECT_FALSE(game_.Visible(units::kGameGroup));
  EXPECT_FALSE(game_.Visible(units::kCreateGroup));
  EXPECT_EQ(game_.Int(units::kSignInGroup, prop::kLeft), 2);
  EXPECT_EQ(game_.Int(units::kSignInGroup, prop::kTop), -1);
  EXPECT_EQ(game_.Int(units::kSecondTimer, prop::kTimerPeriod), 0);
  EXPECT_EQ(game_.Int(units::kAnimationTimer, prop::kTimerPeriod), 0);
  EXPECT_TRUE(server_.Bodies().empty());
}

TEST_F(AccountFlowTest, WithoutASettingsFileTheBoxesStayEmpty) {
  StartGame();
  EXPECT_EQ(game_.Text(units::kAccountBox), "");
  EXPECT_EQ(game_.Text(units::kPassword1Box), "");
  EXPECT_TRUE(game_.BoxTexts().empty());
}

TEST_F(AccountFlowTest, EachButtonShowsItsFormAndCancelGoesBackToLogin) {
  StartGame();
  struct Form {
    const char* name;
    game::GameUnit button;  // the button that opens it (kWindow: cancel back to login)
    int32_t windowHeight, boxHeight;
    const char* caption1;
    const char* caption2;  // null: the second password row is hidden
    bool thirdRow, email, loginButtons;
    const char* mode;
  } forms[] = {
      {"login at start-up", units::kWindow, 246, 217, "密码：", nullptr, false, false, true, "登陆"},
      {"register", units::kRegisterButton, 277, 249, "密码：", "确认密码：", false, true, false, "注册账号"},
      {"cancel", units::kCancelButton, 246, 217, "密码：", nullptr, false, false, true, "登陆"},
      {"change password", units::kChangePasswordButton, 277, 249, "旧密码：", "新密码：", true, false, false,
       "修改密码"},
      {"cancel again", units::kCancelButton, 246, 217, "密码：", nullptr, false, false, true, "登陆"},
  };
  for (const Form& f : forms) {
    SCOPED_TRACE(f.name);
    if (f.button.id != units::kWindow.id) game_.Click(f.button);
    EXPECT_EQ(game::Account().Mode(), f.mode);
    EXPECT_EQ(game_.Int(units::kWindow, prop::kHeight), f.windowHeight);
    EXPECT_EQ(game_.Int(units::kSignInGroup, prop::kHeight), f.boxHeight);
    EXPECT_EQ(game_.Text(units::kPassword1Caption), f.caption1);
    EXPECT_EQ(game_.Visible(units::kPassword2Caption), f.caption2 != nullptr);
    EXPECT_EQ(game_.Visible(units::kPassword2Box), f.caption2 != nullptr);
    if (f.caption2 != nullptr) {
      EXPECT_EQ(game_.Text(units::kPassword2Caption), f.caption2);
    }
    EXPECT_EQ(game_.Visible(units::kPassword3Caption), f.thirdRow);
    EXPECT_EQ(game_.Visible(units::kPassword3Box), f.thirdRow);
    if (f.thirdRow) {
      EXPECT_EQ(game_.Text(units::kPassword3Caption), "确认密码：");
    }
    EXPECT_EQ(game_.Visible(units::kEmailCaption), f.email);
    EXPECT_EQ(game_.Visible(units::kEmailBox), f.email);
    if (f.email) {
      EXPECT_EQ(game_.Int(units::kEmailCaption, prop::kTop), 172);
      EXPECT_EQ(game_.Int(units::kEmailBox, prop::kTop), 174);
    }
    for (game::GameUnit b : {units::kLoginButton, units::kRegisterButton, units::kChangePasswordButton})
      EXPECT_EQ(game_.Visible(b), f.loginButtons);
    EXPECT_EQ(game_.Visible(units::kConfirmButton), !f.loginButtons);
    EXPECT_EQ(game_.Visible(units::kCancelButton), !f.loginButtons);
  }
}

TEST_F(AccountFlowTest, LoginSendsTheFormEncodedRequestSavesTheSettingsAndEntersTheGame) {
  SignIn("alice", "p&w=1 %");
  std::vector<std::string> bodies = server_.Bodies();
  ASSERT_EQ(bodies.size(), 2u);
  EXPECT_EQ(bodies[0], "m=login&a=login&username=alice&password=p%26w%3D1%20%25&lv=1.0");
  EXPECT_EQ(bodies[1], std::string("m=user&a=login&md5=") + kToken);
  EXPECT_EQ(game::Globals().signInToken.Str(), kToken);
  EXPECT_FALSE(game_.Visible(units::kSignInGroup));
  EXPECT_TRUE(game_.Visible(units::kGameGroup));
  EXPECT_EQ(game_.Int(units::kSecondTimer, prop::kTimerPeriod), 1000);
  EXPECT_EQ(game_.Int(units::kAnimationTimer, prop::kTimerPeriod), 20);
  EXPECT_TRUE(game_.BoxTexts().empty());
  // The password is kept as typed, in a file only its owner may read.
  EXPECT_EQ(FileText(SettingsPath()), "[登陆]\r\n账号=alice\r\n密码=p&w=1 %\r\n");
  if (std::optional<unsigned> mode = test_support::PermissionBits(SettingsPath())) {
    EXPECT_EQ(*mode & 0777, 0600u);
  }
}

TEST_F(AccountFlowTest, ASettingsFileFoundOpenToOthersIsOwnerOnlyAfterTheLoginSavesIt) {
  std::ofstream(SettingsPath(), std::ios::binary) << "[窗口]\r\n左=10\r\n[登陆]\r\n账号=old\r\n密码=old\r\n";
  ASSERT_EQ(chmod(SettingsPath().c_str(), 0644), 0);
  SignIn("alice", "secret1");
  EXPECT_EQ(FileText(SettingsPath()), "[窗口]\r\n左=10\r\n[登陆]\r\n账号=alice\r\n密码=secret1\r\n");
  EXPECT_EQ(test_support::PermissionBits(SettingsPath()), 0600u);
}

TEST_F(AccountFlowTest, AFailedLoginShowsTheServersTextAndLeavesTheSettingsFileAlone) {
  std::ofstream(SettingsPath(), std::ios::binary) << "[登陆]\r\n账号=old\r\n密码=kept\r\n";
  server_.Answer("m=login&a=login", R"({"b":"0","t":"\u8d26\u53f7\u6216\u5bc6\u7801\u9519\u8bef"})");
  SignIn("alice", "wrong");
  EXPECT_EQ(game_.BoxTexts(), std::vector<std::string>{"账号或密码错误"});
  EXPECT_EQ(server_.Bodies().size(), 1u);
  EXPECT_EQ(FileText(SettingsPath()), "[登陆]\r\n账号=old\r\n密码=kept\r\n");
  EXPECT_TRUE(game_.Visible(units::kSignInGroup));
  EXPECT_EQ(game_.Text(units::kPassword1Box), "wrong");
}

TEST_F(AccountFlowTest, ASecondClickWhileTheFirstLoginWaitsSendsASecondLogin) {
  server_.Answer("m=login&a=login", R"({"b":"0","t":"no"})");
  StartGame();
  game_.Type(units::kAccountBox, "alice");
  // Both clicks are queued; the second is dispatched while the first one's request waits.
  game_.Native().Click(game_.Handle(units::kLoginButton));
  game_.Native().Click(game_.Handle(units::kLoginButton));
  game_.Pump();
  EXPECT_EQ(server_.BodiesOf("m=login&a=login").size(), 2u);
  EXPECT_EQ(game_.BoxTexts(), (std::vector<std::string>{"no", "no"}));
}

TEST_F(AccountFlowTest, ANumericResultCodeOneCountsAsSuccess) {
  server_.Answer("m=login&a=login", std::string(R"({"b":1,"md5":")") + kToken + "\"}");
  SignIn();
  EXPECT_EQ(server_.BodiesOf("m=user&a=login").size(), 1u);
}

TEST_F(AccountFlowTest, RegistrationAndPasswordChangeShowTheServersTextWhateverTheCode) {
  StartGame();
  server_.Answer("m=login&a=register", R"({"b":"1","t":"\u6ce8\u518c\u6210\u529f"})");
  server_.Answer("m=login&a=xiugai", R"({"b":"0","t":"\u5931\u8d25"})");
  game_.Click(units::kRegisterButton);
  game_.Type(units::kAccountBox, "bob");
  game_.Type(units::kPassword1Box, "pw1");
  game_.Type(units::kPassword2Box, "pw2");
  game_.Type(units::kEmailBox, "b@c.d");
  game_.Click(units::kConfirmButton);  // passwords differ: nothing sent
  game_.Type(units::kPassword2Box, "pw1");
  game_.Click(units::kConfirmButton);
  EXPECT_EQ(game_.BoxTexts(), (std::vector<std::string>{"两次输入的密码不同！", "注册成功"}));
  EXPECT_EQ(server_.Bodies(), std::vector<std::string>{"m=login&a=register&username=bob&password=pw1&email=b%40c.d"});
  EXPECT_EQ(game::Globals().lastAccountRequest.Str(), server_.Bodies().back());
  EXPECT_EQ(game::Account().Mode(), "注册账号");
  EXPECT_EQ(game_.Text(units::kEmailBox), "b@c.d");

  game_.ClearBoxes();
  game_.Click(units::kCancelButton);
  game_.Click(units::kChangePasswordButton);
  game_.Type(units::kPassword2Box, "new1");
  game_.Type(units::kPassword3Box, "new2");
  game_.Click(units::kConfirmButton);
  game_.Type(units::kPassword3Box, "new1");
  game_.Click(units::kConfirmButton);
  EXPECT_EQ(game_.BoxTexts(), (std::vector<std::string>{"两次输入的密码不同！", "失败"}));
  EXPECT_EQ(server_.Bodies().back(), "m=login&a=xiugai&username=bob&password=pw1&newpassword=new1");
  EXPECT_FALSE(std::ifstream(SettingsPath()).good()) << "only a login writes the settings file";
}

TEST_F(AccountFlowTest, NoCharacterYetShowsTheCreationBoxAndCreatingOneEntersTheGame) {
  server_.AnswerOnce("m=user&a=login", R"({"b":"-1","t":"x"})");
  server_.Answer("m=user&a=reg", R"({"b":"1","t":"\u89d2\u8272\u521b\u5efa\u6210\u529f"})");
  SignIn();
  EXPECT_TRUE(game_.BoxTexts().empty());
  EXPECT_FALSE(game_.Visible(units::kSignInGroup));
  EXPECT_TRUE(game_.Visible(units::kGameGroup));
  EXPECT_TRUE(game_.Visible(units::kCreateGroup));
  EXPECT_EQ(game_.Int(units::kCreateGroup, prop::kLeft), 2);
  EXPECT_EQ(game_.Int(units::kCreateGroup, prop::kTop), -1);
  EXPECT_EQ(game_.Int(units::kSecondTimer, prop::kTimerPeriod), 1000);
  EXPECT_EQ(game_.Int(units::kAnimationTimer, prop::kTimerPeriod), 20);
  EXPECT_TRUE(Rows().empty());

  game_.Type(units::kCharacterNameBox, "小明&");
  game_.Click(units::kCreateButton);
  EXPECT_EQ(server_.BodiesOf("m=user&a=reg"),
            std::vector<std::string>{std::string("m=user&a=reg&name=%D0%A1%C3%F7%26&md5=") + kToken});
  EXPECT_EQ(game_.BoxTexts(), std::vector<std::string>{"角色创建成功"});
  EXPECT_FALSE(game_.Visible(units::kCreateGroup));
  EXPECT_EQ(server_.BodiesOf("m=user&a=login").size(), 2u);
  EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(AccountFlowTest, AnUnreachableServerShowsTheParsersEmptyInputMessage) {
  game_.Start(UnreachableUrl());
  game_.Type(units::kAccountBox, "alice");
  game_.Click(units::kLoginButton);
  std::string expected = std::string("错误信息：\r\n") + kJsonErrorEmpty + "\r\n错误内容：\r\n";
  EXPECT_EQ(game_.BoxTexts(), std::vector<std::string>{expected});
  EXPECT_TRUE(game_.Visible(units::kSignInGroup));
  EXPECT_EQ(game::Account().Mode(), "登陆");
}

TEST_F(AccountFlowTest, AnAnswerThatIsNotJsonShowsTheParsersMessageAndTheAnswer) {
  server_.Answer("m=login&a=login", "<html>oops</html>");
  SignIn();
  ASSERT_EQ(game_.BoxTexts().size(), 1u);
  EXPECT_EQ(game_.BoxTexts()[0], std::string("错误信息：\r\n") + kJsonErrorFormat + "\r\n错误内容：\r\n<html>oops</html>");
}

TEST_F(AccountFlowTest, AnAnswerWithoutAResultCodeDoesNothing) {
  server_.Answer("m=login&a=login", R"({"t":"ignored","md5":"x"})");
  SignIn();
  EXPECT_TRUE(game_.BoxTexts().empty());
  EXPECT_EQ(server_.Bodies().size(), 1u);
  EXPECT_FALSE(std::ifstream(SettingsPath()).good());
}

TEST_F(AccountFlowTest, SignOutAsksFirstAndOnYesReturnsToTheLoginFormWithoutTheServer) {
  SignIn("alice", "secret1");
  ASSERT_EQ(Rows().size(), 4u);
  UnitRef button = Rows()[0]->Button();
  size_t sent = server_.Bodies().size();

  game_.AnswerNextBox(platform::kAnswerNo);
  game_.Click(units::kSignOutButton);
  ASSERT_EQ(game_.Boxes().size(), 1u);
  EXPECT_EQ(game_.Boxes()[0].text, "确认要退出登录？");
  EXPECT_EQ(game_.Boxes()[0].caption, "询问");
  EXPECT_EQ(game_.Boxes()[0].style & 0xF, 4u);
  EXPECT_TRUE(game_.Visible(units::kGameGroup));
  EXPECT_EQ(game::Globals().signInToken.Str(), kToken);

  game_.AnswerNextBox(platform::kAnswerYes);
  game_.Click(units::kSignOutButton);
  EXPECT_EQ(server_.Bodies().size(), sent);
  EXPECT_TRUE(game_.Visible(units::kSignInGroup));
  EXPECT_FALSE(game_.Visible(units::kGameGroup));
  EXPECT_FALSE(game_.Visible(units::kCreateGroup));
  EXPECT_EQ(game_.Int(units::kWindow, prop::kHeight), 245);
  EXPECT_EQ(game_.Int(units::kSignInGroup, prop::kHeight), 217);
  EXPECT_EQ(game_.Int(units::kSecondTimer, prop::kTimerPeriod), 0);
  EXPECT_EQ(game_.Text(units::kWindow), "Vorenn 1.0");
  EXPECT_TRUE(game::Globals().signInToken.Empty());
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(game_.Handle(button), platform::kNoWindow) << "the row's units are destroyed";
  EXPECT_EQ(game_.Text(units::kPassword1Box), "secret1");
  EXPECT_EQ(game_.Text(units::kNameLabel), "小明") << "labels keep their last texts";
}

}  // namespace
}  // namespace vorenn::testing
