// Skill rows, level-up, scrolling and the leaderboard.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/game/game_flow_fixture.h"
#include "tests/support/exit_status.h"

namespace vorenn::testing {
namespace {

class SkillsTest : public GameFlowTest {};

TEST_F(SkillsTest, LevelUpIsSentOnlyWhenTheRowIsAffordable) {
  server_.Answer("m=user&a=lvup", UserInfoJson("88", "4", SkillJson(1, "14", "2", 2) + "," + SkillJson(2, "100") +
                                                              "," + SkillJson(3, "1100")));
  SignIn();
  server_.ClearBodies();
  game_.Click(Rows()[2]->Button());  // 1100 against 100: nothing happens
  EXPECT_TRUE(server_.Bodies().empty());
  EXPECT_TRUE(game_.BoxTexts().empty());

  game_.Click(Rows()[0]->Button());
  EXPECT_EQ(server_.Bodies(), std::vector<std::string>{std::string("m=user&a=lvup&id=1&md5=") + kToken});
  EXPECT_EQ(game_.Text(units::kTotalLabel), "88(2位)");
  EXPECT_EQ(game_.Text(units::kRateLabel), "4(1位)");
  EXPECT_EQ(game_.Text(Rows()[0]->Button(), prop::kButtonCaption), "吐纳术(2)√");
  EXPECT_EQ(game_.Text(Rows()[0]->OutputBox()), "产量:2(1位)");
  EXPECT_EQ(Rows().size(), 4u) << "reloading keeps the rows and their units";

  server_.Answer("m=user&a=lvup", R"({"b":"0","t":"\u7ecf\u9a8c\u4e0d\u8db3"})");
  game_.Click(Rows()[0]->Button());
  EXPECT_EQ(game_.BoxTexts(), std::vector<std::string>{"经验不足"});
  EXPECT_EQ(game_.Text(units::kTotalLabel), "88(2位)");
}

TEST_F(SkillsTest, ALevelUpAnsweredWithSignedOutShowsTheMessageTwiceAndSignsOut) {
  server_.Answer("m=user&a=lvup", R"({"b":"-2","t":"\u8bf7\u91cd\u65b0\u767b\u5f55"})");
  SignIn();
  game_.Click(Rows()[0]->Button());
  EXPECT_EQ(game_.BoxTexts(), (std::vector<std::string>{"请重新登录", "请重新登录"}));
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(game_.Visible(units::kSignInGroup));
  EXPECT_EQ(game_.Text(units::kWindow), "Vorenn 1.0");
}

TEST_F(SkillsTest, RowsFollowTheIdsGapsIncludedAndIgnoreIdsBelowOne) {
  server_.Answer("m=user&a=login",
                 UserInfoJson("50", "0", SkillJson(0, "1") + "," + SkillJson(-2, "1") + "," + SkillJson(3, "50") +
                                             "," + SkillJson(1, "60")));
  SignIn();
  ASSERT_EQ(Rows().size(), 4u);
  EXPECT_EQ(Rows()[0]->RowId(), 1);
  EXPECT_EQ(Rows()[2]->RowId(), 3);
  EXPECT_FALSE(game_.Visible(Rows()[1]->Button())) << "row 2 exists but is never loaded";
  EXPECT_FALSE(game_.Visible(Rows()[3]->Button()));
  // A price equal to the total is affordable; at a rate of zero the wait is empty.
  EXPECT_EQ(game_.Text(Rows()[2]->Button(), prop::kButtonCaption), "吐纳术(1)√");
  EXPECT_EQ(game_.Text(Rows()[2]->TimeBox()), "现在");
  EXPECT_EQ(game_.Text(Rows()[0]->Button(), prop::kButtonCaption), "吐纳术(1)×");
  EXPECT_EQ(game_.Text(Rows()[0]->TimeBox()), "");
}

TEST_F(SkillsTest, WaitsOfEightDigitsOrMoreAreEndless) {
  server_.Answer("m=user&a=login",
                 UserInfoJson("0", "1", SkillJson(1, "9999999") + "," + SkillJson(2, "10000000")));
  SignIn();
  EXPECT_EQ(game_.Text(Rows()[0]->TimeBox()), "115天17时46分39秒");
  EXPECT_EQ(game_.Text(Rows()[1]->TimeBox()), "无限期");
}

TEST_F(SkillsTest, TheWindowShowsAtMostEightRowsAndTheBarAndWheelScrollTheCanvas) {
  std::string skills;
  for (int id = 1; id <= 10; ++id) skills += (id > 1 ? "," : "") + SkillJson(id, "1");
  server_.Answer("m=user&a=login", UserInfoJson("0", "1", skills));
  SignIn();
  ASSERT_EQ(Rows().size(), 11u);
  EXPECT_EQ(game_.Int(units::kWindow, prop::kHeight), 8 * 42 + 205);
  EXPECT_EQ(game_.Int(units::kSkillCanvas, prop::kHeight), 11 * 42 + 2);
  int32_t maximum = 11 * 42 + 2 - (8 * 42 - 41) - 40;
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kScrollMaximum), maximum);

  game_.Native().Scroll(game_.Handle(units::kSkillScrollBar), platform::ScrollAction::PageDown);
  game_.Pump();
  int32_t position = game_.Int(units::kSkillScrollBar, prop::kScrollPosition);
  ASSERT_GT(position, 0);
  EXPECT_EQ(game_.Int(units::kSkillCanvas, prop::kTop), 3 - position);

  game_.Wheel(units::kSkillScrollBar, -2);  // towards the end: 40 further
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kScrollPosition), position + 40);
  EXPECT_EQ(game_.Int(units::kSkillCanvas, prop::kTop), 3 - position - 40);
  game_.Wheel(units::kSkillScrollBar, -100);  // never past the maximum
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kScrollPosition), maximum);
  EXPECT_EQ(game_.Int(units::kSkillCanvas, prop::kTop), 3 - maximum);
  game_.Wheel(units::kSkillScrollBar, 1);
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kScrollPosition), maximum - 20);
}

TEST_F(SkillsTest, TheWheelOverASkillRowScrollsTheFocusedBar) {
  std::string skills;
  for (int id = 1; id <= 10; ++id) skills += (id > 1 ? "," : "") + SkillJson(id, "1");
  server_.Answer("m=user&a=login", UserInfoJson("0", "1", skills));
  SignIn();
  ASSERT_EQ(game_.Native().Focus(), game_.Handle(units::kSkillScrollBar));
  game_.Wheel(Rows()[1]->PriceBox(), -2);
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kScrollPosition), 40);
  EXPECT_EQ(game_.Int(units::kSkillCanvas, prop::kTop), 3 - 40);
  game_.Wheel(units::kSkillViewport, 1);  // over the viewport the bar turns too
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kScrollPosition), 20);
  // Where another unit holds the focus, the wheel is that unit's.
  game_.Native().SetFocus(game_.Handle(units::kSignOutButton));
  game_.Wheel(Rows()[1]->PriceBox(), -2);
  EXPECT_EQ(game_.Int(units::kSkillScrollBar, prop::kScrollPosition), 20);
}

class SkillsDeathTest : public SkillsTest {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SkillsTest::SetUp();
  }
};

TEST_F(SkillsDeathTest, ALevelUpButtonWhoseTagNamesNoRowEndsTheProgram) {
  // The report is echoed in UTF-8.
  struct Case {
    const char* tag;
    const char8_t* message;
  } cases[] = {
      {"0", u8"数组成员引用下标必须大于等于1"},
      {"", u8"数组成员引用下标必须大于等于1"},
      {"5", u8"数组成员引用下标超出定义范围"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EXIT(
        {
          SignIn();
          UnitRef button = Rows()[0]->Button();
          game::WriteText(button, prop::kTag, c.tag);
          game_.Native().EchoMessageBoxes(true);
          game_.Click(button);
          std::_Exit(0);
        },
        test_support::EndedWithMinusOne, ::testing::HasSubstr(reinterpret_cast<const char*>(c.message)));
  }
}

class RankingTest : public GameFlowTest {};

constexpr char kRanking[] =
    R"({"b":"1","phb":[{"name":"\u5c0f\u660e","money":"1234567890123456789012345"},{"name":"bob","money":12}]})";

TEST_F(RankingTest, LoadingTwiceListsThePlayersOnceInTheServersOrder) {
  server_.Answer("m=user&a=phb", kRanking);
  SignIn();
  game_.Click(units::kRankingButton);
  game_.Click(units::kRankingButton);
  EXPECT_EQ(server_.BodiesOf("m=user&a=phb"),
            (std::vector<std::string>(2, std::string("m=user&a=phb&md5=") + kToken)));
  std::vector<std::vector<std::string>> rows = game_.ListRows(units::kRankingList);
  EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{"1", "小明", "1234567890123456789012345"},
                                                        {"2", "bob", "12"}}));
  EXPECT_TRUE(game_.Visible(units::kRankingList));
  EXPECT_EQ(game_.Int(units::kRankingList, prop::kLeft), 2);
  EXPECT_EQ(game_.Int(units::kRankingList, prop::kTop), 36);
  EXPECT_EQ(game_.Int(units::kRankingList, prop::kHeight), 373 - 70);

  game_.Click(units::kCharacterButton);
  EXPECT_FALSE(game_.Visible(units::kRankingList));
  EXPECT_EQ(game_.ListRows(units::kRankingList).size(), 2u);
}

TEST_F(RankingTest, AFailureCodeEmptiesTheListAndSignedOutShowsTheMessageOnce) {
  server_.AnswerOnce("m=user&a=phb", kRanking);
  server_.AnswerOnce("m=user&a=phb", R"({"b":"0","t":"no"})");
  server_.AnswerOnce("m=user&a=phb", kRanking);
  server_.AnswerOnce("m=user&a=phb", R"({"b":"-2","t":"\u8bf7\u91cd\u65b0\u767b\u5f55"})");
  SignIn();
  game_.Click(units::kRankingButton);
  game_.Click(units::kRankingButton);
  EXPECT_TRUE(game_.ListRows(units::kRankingList).empty());
  EXPECT_TRUE(game_.BoxTexts().empty());

  game_.Click(units::kRankingButton);
  ASSERT_EQ(game_.ListRows(units::kRankingList).size(), 2u);
  game_.Click(units::kRankingButton);
  EXPECT_TRUE(game_.ListRows(units::kRankingList).empty());
  EXPECT_EQ(game_.BoxTexts(), std::vector<std::string>{"请重新登录"});
  EXPECT_TRUE(game_.Visible(units::kSignInGroup));
  EXPECT_FALSE(game_.Visible(units::kGameGroup));
  EXPECT_EQ(game::Account().Mode(), "登陆");
  EXPECT_EQ(game_.Int(units::kWindow, prop::kHeight), 246);
  EXPECT_TRUE(game::Globals().signInToken.Empty());
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(game_.Int(units::kSecondTimer, prop::kTimerPeriod), 0);
}

TEST_F(RankingTest, ATransportFailureKeepsThePreviousRows) {
  server_.Answer("m=user&a=phb", kRanking);
  SignIn();
  game_.Click(units::kRankingButton);
  game::Globals().serverUrl = game::EngineText(UnreachableUrl());
  game_.Click(units::kRankingButton);
  EXPECT_EQ(game_.ListRows(units::kRankingList).size(), 2u);
  EXPECT_EQ(game_.BoxTexts().size(), 1u);
}

}  // namespace
}  // namespace vorenn::testing
