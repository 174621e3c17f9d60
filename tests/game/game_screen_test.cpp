// The game screen: the user information applied, the accrual over virtual time with its rising
// figures, the 30-second refresh, cultivation time, big amounts and the notification area.
#include <gtest/gtest.h>

#include "tests/game/game_flow_fixture.h"

namespace vorenn::testing {
namespace {

class GameScreenTest : public GameFlowTest {};

TEST_F(GameScreenTest, EnteringTheGameAppliesTheUserInformationAndBuildsTheRows) {
  SignIn();
  EXPECT_EQ(game_.Text(units::kWindow), "Vorenn 1.0 - [小明]");
  EXPECT_EQ(game_.Text(units::kNameLabel), "小明");
  EXPECT_EQ(game_.Text(units::kNoticeBox), "公告");
  EXPECT_EQ(game_.Text(units::kRateLabel), "3(1位)");
  EXPECT_EQ(game_.Text(units::kTotalLabel), "100(3位)");
  EXPECT_EQ(game_.Text(units::kPendingLabel), "");
  EXPECT_EQ(game_.Text(units::kCultivationTimeLabel), "1天1时1分5秒");
  // Ids 1, 2, 3: four rows, the last never loaded.
  ASSERT_EQ(Rows().size(), 4u);
  EXPECT_EQ(game_.Int(units::kSkillCanvas, prop::kHeight), 170);
  EXPECT_EQ(game_.Int(units::kWindow, prop::kHeight), 373);
  EXPECT_EQ(game_.Int(units::kGameGroup, prop::kHeight), 343);
  EXPECT_EQ(game_.Int(units::kSkillViewport, prop::kHeight), 127);
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kHeight), 127);
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kScrollMaximum), 3);
  for (size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    UnitRef button = Rows()[k]->Button();
    ASSERT_NE(game_.Handle(button), platform::kNoWindow);
    EXPECT_EQ(game_.Visible(button), k < 3);
    if (k == 3) continue;
    auto r = int32_t(k + 1);
    EXPECT_EQ(game_.Int(button, prop::kTop), 42 * r - 38);
    EXPECT_EQ(game_.Int(button, prop::kLeft), 204);
    EXPECT_EQ(game_.Text(button, prop::kTag), std::to_string(r));
  }
  // Total 100 against prices 12, 100 and 1100.
  const char* captions[] = {"吐纳术(1)√", "吐纳术(1)√", "吐纳术(1)×"};
  for (size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(game_.Text(Rows()[k]->Button(), prop::kButtonCaption), captions[k]);
    EXPECT_EQ(Rows()[k]->Affordable(), k < 2 ? 1 : 0);
  }
}

TEST_F(GameScreenTest, TheRowBoxesShowPriceOutputAndWaitingTime) {
  // At 3 a second, 1100 is 333 seconds away from 100.
  SignIn();
  ASSERT_EQ(Rows().size(), 4u);
  struct Expected {
    size_t row;
    const char* price;
    const char* output;
    const char* waiting;
  } cases[] = {
      {0, "需要:12(2位)", "产量:1(1位)", "现在"},
      {2, "需要:1100(4位)", "产量:1(1位)", "5分33秒"},
  };
  for (const Expected& e : cases) {
    SCOPED_TRACE(e.row);
    UnitRef price = Rows()[e.row]->PriceBox(), output = Rows()[e.row]->OutputBox(),
            time = Rows()[e.row]->TimeBox();
    EXPECT_EQ(game_.Text(price), e.price);
    EXPECT_EQ(game_.Text(output), e.output);
    EXPECT_EQ(game_.Text(time), e.waiting);
    EXPECT_EQ(game_.Int(output, prop::kTop), 42 * int32_t(e.row + 1) - 15);
    EXPECT_EQ(game_.Int(time, prop::kLeft), 203);
  }
}

TEST_F(GameScreenTest, TicksAccrueFoldEveryFiveSecondsAndRefreshEveryThirty) {
  SignIn();
  server_.ClearBodies();
  const char* pending[] = {"3(1位)", "6(1位)", "9(1位)", "12(2位)"};
  for (const char* text : pending) {
    game_.Advance(1000);
    EXPECT_EQ(game_.Text(units::kPendingLabel), text);
    EXPECT_EQ(game_.Text(units::kTotalLabel), "100(3位)");
  }
  // The rising figure for the rate starts at 104, right-aligned at 347, and climbs a pixel per
  // 20 ms.
  EXPECT_EQ(game_.Text(units::kPendingRiseLabel), "3");
  EXPECT_EQ(game_.Int(units::kPendingRiseLabel, prop::kLeft), 341);
  EXPECT_EQ(game_.Int(units::kPendingRiseLabel, prop::kWidth), 6);
  game_.Advance(999);  // the fifth tick is due at the end of this second
  EXPECT_EQ(game_.Int(units::kPendingRiseLabel, prop::kTop), 90);
  EXPECT_FALSE(game_.Visible(units::kPendingRiseLabel));
  game_.Advance(1);
  EXPECT_EQ(game_.Text(units::kPendingLabel), "");
  EXPECT_EQ(game_.Text(units::kTotalLabel), "115(3位)");
  EXPECT_EQ(game_.Text(units::kTotalRiseLabel), "15");
  EXPECT_TRUE(game_.Visible(units::kTotalRiseLabel));
  EXPECT_EQ(game_.Int(units::kTotalRiseLabel, prop::kLeft), 335);
  EXPECT_EQ(game_.Int(units::kTotalRiseLabel, prop::kWidth), 12);
  EXPECT_LE(game_.Int(units::kTotalRiseLabel, prop::kTop), 57);
  EXPECT_EQ(game::Game().AccrualSeconds(), 0);
  game_.Advance(300);
  EXPECT_FALSE(game_.Visible(units::kTotalRiseLabel));
  EXPECT_TRUE(server_.Bodies().empty());

  game_.Advance(24700);  // 30 s: the server's figures replace the client's
  EXPECT_EQ(server_.Bodies(), std::vector<std::string>{std::string("m=user&a=xin&md5=") + kToken});
  EXPECT_EQ(game_.Text(units::kTotalLabel), "500(3位)");
  EXPECT_EQ(game_.Text(units::kPendingLabel), "");
  EXPECT_EQ(game::Game().AccrualSeconds(), 0);
  EXPECT_EQ(game_.Text(Rows()[2]->Button(), prop::kButtonCaption), "吐纳术(1)×");
  EXPECT_TRUE(game_.BoxTexts().empty());
}

TEST_F(GameScreenTest, TheRefreshAppliesAnyAnswerWithACodeAndShowsNothing) {
  server_.Answer("m=user&a=xin", R"({"b":"0","t":"busy","allmoney":"7"})");
  SignIn();
  game_.Advance(30000);
  EXPECT_EQ(game_.Text(units::kTotalLabel), "7(1位)");
  EXPECT_TRUE(game_.BoxTexts().empty());
}

TEST_F(GameScreenTest, BigAmountsKeepEveryDigitAndTheFraction) {
  std::string rate = "123456789012345678901234567890.5";
  server_.Answer("m=user&a=login",
                 UserInfoJson("999999999999999999999999999999.75", rate,
                              SkillJson(1, "123456789012345678901234567890.99", "42.5")));
  SignIn();
  EXPECT_EQ(game_.Text(units::kRateLabel), rate + "(32位)");
  EXPECT_EQ(game_.Text(units::kTotalLabel), "999999999999999999999999999999.75(33位)");
  EXPECT_EQ(game_.Text(Rows()[0]->PriceBox()), "需要:123456789012345678901234567890(30位)");
  EXPECT_EQ(game_.Text(Rows()[0]->OutputBox()), "产量:42(2位)");
  game_.Advance(1000);
  EXPECT_EQ(game_.Text(units::kPendingLabel), rate + "(32位)");
  EXPECT_EQ(game_.Text(units::kPendingRiseLabel), rate);
  EXPECT_EQ(game_.Int(units::kPendingRiseLabel, prop::kLeft), 347 - 32 * 6);
  game_.Advance(4000);
  EXPECT_EQ(game_.Text(units::kTotalLabel), "1617283945061728394506172839452.25(34位)");
  EXPECT_EQ(game_.Text(units::kTotalRiseLabel), "617283945061728394506172839452.5");
}

TEST_F(GameScreenTest, CultivationTimeFollowsTheServersClock) {
  struct Case {
    const char* now;
    const char* regdate;
    double offset;
    const char* shown;
  } cases[] = {
      // Local clock at 2024-01-01 08:00:00 throughout.
      {"2024-01-01 08:00:00", "2024-01-01 07:58:59", 0, "1分1秒"},
      {"2024-01-01 07:00:00", "2024-01-01 06:00:00", 3600, "1时"},    // server an hour behind
      {"2024-01-02 08:00:00", "2024-01-01 08:00:00", -86400, "1天"},  // server a day ahead
      {"2024-01-01 08:00:00", "2024-01-01 09:00:00", 0, ""},          // registered in the future
  };
  StartGame();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.now);
    server_.AnswerOnce("m=user&a=login", std::string(R"({"b":"1","now":")") + c.now + R"(","regdate":")" +
                                             c.regdate + R"("})");
    game::Globals().signInToken = game::EngineText(kToken);
    game::Game().EnterWithToken(std::nullopt);
    EXPECT_EQ(game::Game().ClockOffset(), c.offset);
    EXPECT_EQ(game_.Text(units::kCultivationTimeLabel), c.shown);
  }
  // Without "now" the offset stays; the next tick counts on.
  server_.AnswerOnce("m=user&a=login", R"({"b":"1","regdate":"2024-01-01 07:59:00"})");
  game::Game().EnterWithToken(std::nullopt);
  EXPECT_EQ(game_.Text(units::kCultivationTimeLabel), "1分");
  game_.Advance(1000);
  EXPECT_EQ(game_.Text(units::kCultivationTimeLabel), "1分1秒");
}

TEST_F(GameScreenTest, MinimisingGoesToTheNotificationAreaAndAnyTrayActionRestores) {
  SignIn();
  platform::WindowHandle window = game_.Handle(units::kWindow);
  for (int action : {1, 2, 3}) {
    SCOPED_TRACE(action);
    game_.Minimise();
    std::optional<platform::TrayIconRecord> tray = game_.Native().TrayIcon(window);
    ASSERT_TRUE(tray.has_value());
    EXPECT_EQ(tray->tip, "点击恢复！\r\nVorenn 1.0 - [小明]");
    EXPECT_GT(tray->iconBytes, 0u);
    EXPECT_FALSE(game_.Native().IsVisible(window));
    game_.UseTrayIcon(action);
    EXPECT_TRUE(game_.Native().IsVisible(window));
    EXPECT_EQ(game_.Int(units::kWindow, prop::kWindowShowState), 0);
  }
}

TEST_F(GameScreenTest, WithoutSkillsTheWindowIs205HighAndTheViewportNegative) {
  server_.Answer("m=user&a=login", UserInfoJson("100", "3", ""));
  SignIn();
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(game_.Int(units::kWindow, prop::kHeight), 205);
  EXPECT_EQ(game_.Int(units::kSkillCanvas, prop::kHeight), 2);
  EXPECT_EQ(game_.Int(units::kGameGroup, prop::kHeight), 175);
}

}  // namespace
}  // namespace vorenn::testing
