// The text forms through the engine's commands (the program's library table installed).
#include "game/formatting.h"

#include <gtest/gtest.h>

#include "tests/game/game_driver.h"

namespace vorenn::game {
namespace {

class FormattingTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::PrepareProgram(); }
};

TEST_F(FormattingTest, DurationLeavesOutZeroPartsAndDropsTheFraction) {
  struct Case {
    double seconds;
    const char* text;
  } cases[] = {
      {0, ""},           {-5, ""},          {0.9, ""},         {1, "1秒"},
      {59.99, "59秒"},   {60, "1分"},       {3725, "1时2分5秒"}, {86400, "1天"},
      {90061, "1天1时1分1秒"}, {86401, "1天1秒"}, {3600 * 23 + 59, "23时59秒"},
      {9999999, "115天17时46分39秒"}, {1e300, "11574074074天1时46分40秒"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

TEST_F(FormattingTest, BigAmountCountsEveryByteOfItsDigits) {
  struct Case {
    const char* number;
    bool integerOnly;
    const char* text;
  } cases[] = {
      {"12345", false, "12345(5位)"},
      {"0", false, "0(1位)"},
      {"", false, "0(1位)"},
      {"not a number", false, "0(1位)"},
      {"-12.50", false, "-12.5(5位)"},
      {"-12.50", true, "-12(3位)"},
      {"-0.5", true, "0(1位)"},
      {"123456789012345678901234567890.25", false, "123456789012345678901234567890.25(33位)"},
      {"123456789012345678901234567890.25", true, "123456789012345678901234567890(30位)"},
  };
  for (const Case& c : cases) {
    BigNumber n;
    n.SetText(c.number);
    EXPECT_EQ(FormatBigAmount(n, c.integerOnly), c.text) << c.number;
    EXPECT_EQ(n.Text(), BigNumber().Plus(n).Text()) << "the amount itself is left alone";
  }
}

}  // namespace
}  // namespace vorenn::game
