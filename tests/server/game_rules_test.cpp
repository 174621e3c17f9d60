#include "server/game_rules.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <vector>

#include "server/skill_rows.h"

namespace vorenn::server {
namespace {

Amount A(const char* digits) { return Amount(digits, 10); }

TEST(NextLevelPrice, GrowsByFifteenPercentRoundedUp) {
  struct Row {
    int skill;
    int64_t level;
    const char* price;
  } rows[] = {
      {1, 0, "10"},          {1, 1, "12"},  // 11.5 rounds up
      {1, 2, "14"},                         // 13.225
      {1, 10, "41"},                        // 40.455...
      {2, 3, "153"},                        // 152.0875
      {4, 2, "15870"},                      // exactly 15870: no rounding
      {8, 0, "330000000"},   {8, 1, "379500000"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NextLevelPrice(*FindSkill(row.skill), row.level), A(row.price))
        << "skill " << row.skill << " level " << row.level;
  }
}

TEST(NextLevelPrice, IsTheExactCeilingFarBeyondDoublePrecision) {
  // price is the least whole number with price * 100^L >= base * 115^L.
  for (int64_t level : {50, 300, 1000}) {
    const Skill& skill = *FindSkill(7);
    Amount price = NextLevelPrice(skill, level);
    Amount scale, growth;
    mpz_ui_pow_ui(scale.get_mpz_t(), 100, level);
    mpz_ui_pow_ui(growth.get_mpz_t(), 115, level);
    Amount exact = A(skill.basePrice) * growth;
    EXPECT_GE(price * scale, exact) << level;
    EXPECT_LT((price - 1) * scale, exact) << level;
    EXPECT_GT(NextLevelPrice(skill, level + 1), price);
  }
}

TEST(RateFor, IsOnePlusEachSkillsOutputTimesLevel) {
  EXPECT_EQ(RateFor(SkillLevels{}), 1);
  SkillLevels levels{};
  levels[0] = 3;  // 3 × 1
  levels[1] = 2;  // 2 × 8
  levels[7] = 1;  // 1 × 260000
  EXPECT_EQ(RateFor(levels), 1 + 3 + 16 + 260000);
  EXPECT_EQ(SkillOutput(*FindSkill(3), 5), 235);
}

TEST(Settle, AddsRateTimesWholeSecondsAndNeverPaysASecondTwice) {
  Character c;
  c.rate = A("1000000000000000000000000000000000000000");  // 10^39
  c.total = 7;
  c.settledAt = 100;
  Settle(c, 100);
  EXPECT_EQ(c.total, 7);
  Settle(c, 1100);
  EXPECT_EQ(c.total, A("1000000000000000000000000000000000000000000") + 7);
  EXPECT_EQ(c.settledAt, 1100);
  Settle(c, 900);  // clock went backwards
  EXPECT_EQ(c.settledAt, 1100);
  EXPECT_EQ(c.total, A("1000000000000000000000000000000000000000000") + 7);
}

TEST(LevelUp, DeductsThePriceOnlyWhenTheTotalCoversIt) {
  Character c;
  c.rate = RateFor(c.levels);
  c.total = 21;  // 10 for level 1, then 12 for level 2 is one short
  EXPECT_EQ(LevelUp(c, 1), LevelUpOutcome::Done);
  EXPECT_EQ(c.total, 11);
  EXPECT_EQ(c.levels[0], 1);
  EXPECT_EQ(c.rate, 2);
  EXPECT_EQ(LevelUp(c, 1), LevelUpOutcome::NotEnough);
  EXPECT_EQ(c.total, 11);
  EXPECT_EQ(c.levels[0], 1);
  c.total = 12;
  EXPECT_EQ(LevelUp(c, 1), LevelUpOutcome::Done);  // a price equal to the total is affordable
  EXPECT_EQ(c.total, 0);
  for (int id : {0, 9, -1}) EXPECT_EQ(LevelUp(c, id), LevelUpOutcome::UnknownSkill);
}

TEST(ParseAmount, AcceptsPlainDecimalDigitsOnly) {
  struct Row {
    const char* text;
    bool ok;
  } rows[] = {{"0", true},  {"123456789012345678901234567890", true}, {"-5", true},
              {"", false},  {"-", false}, {" 1", false}, {"1.0", false}, {"1e3", false},
              {"0x10", false}, {"+1", false}};
  for (const Row& row : rows) {
    auto amount = ParseAmount(row.text);
    EXPECT_EQ(amount.has_value(), row.ok) << row.text;
    if (amount) {
      EXPECT_EQ(FormatAmount(*amount), row.text);
    }
  }
}

// Large amounts go through a memo of recent conversions; whatever it holds, each conversion must
// give what GMP gives.
TEST(ParseAmount, LargeAmountsConvertExactlyWhateverWasConvertedBefore) {
  Amount big;
  mpz_ui_pow_ui(big.get_mpz_t(), 10, 2000);
  big += 123456789;
  std::string digits = big.get_str(10);

  // Leading zeros read as the same value, but the value is written without them.
  auto padded = ParseAmount("000" + digits);
  ASSERT_TRUE(padded);
  EXPECT_EQ(*padded, big);
  EXPECT_EQ(FormatAmount(big), digits);
  EXPECT_EQ(FormatAmount(-big), "-" + digits);

  // Values alike in their low and high words, their length and their sign, converted one after
  // the other both ways.
  Amount step;
  mpz_ui_pow_ui(step.get_mpz_t(), 2, 64 * 40);
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 300; ++i) {
      Amount value = big + step * i;
      std::string text = value.get_str(10);
      ASSERT_EQ(FormatAmount(value), text) << i;
      auto back = ParseAmount(text);
      ASSERT_TRUE(back);
      ASSERT_EQ(*back, value) << i;
    }
  }

  // A text that differs from a remembered one in a single digit is read afresh.
  std::string altered = digits;
  altered[1000] = altered[1000] == '9' ? '8' : '9';
  auto other = ParseAmount(altered);
  ASSERT_TRUE(other);
  EXPECT_EQ(other->get_str(10), altered);
  EXPECT_NE(*other, big);
}

TEST(FormatAmountNear, WritesWhatAFullConversionWrites) {
  Amount power;
  mpz_ui_pow_ui(power.get_mpz_t(), 10, 2000);
  gmp_randclass random(gmp_randinit_default);
  random.seed(19);
  std::vector<Amount> bases = {power, power - 1, power + 1, random.get_z_bits(6600)};
  std::vector<Amount> steps = {1, 9, 10, 999999, Amount("123456789012345678901234567890", 10),
                               random.get_z_bits(200), random.get_z_bits(400)};
  for (const Amount& base : bases) {
    std::string baseText = base.get_str(10);
    for (const Amount& step : steps) {
      for (const Amount& value : {Amount(base + step), Amount(base - step)}) {
        EXPECT_EQ(FormatAmountNear(value, base, baseText), value.get_str(10))
            << "base " << baseText.size() << " digits, step " << step.get_str(10);
      }
    }
  }
  // Across the sign, from small numbers and by large steps it converts as FormatAmount does.
  EXPECT_EQ(FormatAmountNear(Amount(-5), Amount(7), "7"), "-5");
  Amount far = power - power / 3;
  EXPECT_EQ(FormatAmountNear(far, power, power.get_str(10)), far.get_str(10));
  EXPECT_EQ(FormatAmountNear(Amount(0), power, power.get_str(10)), "0");
}

// Rows are kept by skill and level; whatever was kept before, a row is the one written afresh.
TEST(SkillRows, KeptRowsAreTheRowsWrittenAfresh) {
  for (int pass = 0; pass < 2; ++pass) {
    for (const Skill& skill : Skills()) {
      for (int64_t level : {0, 1, 2, 511, 512, 513, 4096, 8191, 70000}) {
        std::string out = "x";
        AppendSkillRow(out, skill, level);
        ASSERT_EQ(out, "x" + SkillRowJson(skill, level)) << skill.id << " at " << level;
      }
    }
  }
  SkillLevels levels = {0, 3, 512, 4096, 1, 70000, 2, 8191};
  for (int pass = 0; pass < 2; ++pass) {
    std::string out;
    AppendSkillRows(out, levels);
    std::string expected = "[";
    for (const Skill& skill : Skills()) {
      if (skill.id > 1) expected += ',';
      expected += SkillRowJson(skill, levels[skill.id - 1]);
    }
    ASSERT_EQ(out, expected + "]");
  }
  auto row = nlohmann::json::parse(SkillRowJson(*FindSkill(2), 3));
  EXPECT_EQ(row["id"], "2");
  EXPECT_EQ(row["lvl"], "3");
  EXPECT_EQ(row["money"], FormatAmount(SkillOutput(*FindSkill(2), 3)));
  EXPECT_EQ(row["buy"], FormatAmount(NextLevelPrice(*FindSkill(2), 3)));
}

}  // namespace
}  // namespace vorenn::server
