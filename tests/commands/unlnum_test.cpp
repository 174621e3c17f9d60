#include "commands/unlnum.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/memory.h"

namespace vorenn {
namespace {

// A variable that frees its number at the end of the test.
struct Var {
  UnlNum* n = nullptr;
  Var() = default;
  explicit Var(const char* text) { EXPECT_TRUE(UnlNumFromText(&n, text)) << text; }
  explicit Var(UnlNum* owned) : n(owned) {}
  Var(const Var&) = delete;
  ~Var() { UnlNumFree(&n); }
  std::string Text() const { return UnlNumToString(n); }
};

TEST(UnlNumFromText, AcceptsNumberTextsAndPrintsThemBack) {
  struct Row {
    const char* text;
    const char* printed;
  } rows[] = {
      {"0", "0"},
      {"7", "7"},
      {"007", "7"},
      {"5.", "5"},
      {"0.5", "0.5"},
      {"0.50", "0.5"},
      {"10.0", "10"},
      {"2.000000000", "2"},
      {"-0.5", "-0.5"},
      {"-12.25", "-12.25"},
      {"123456789012345678901234567890", "123456789012345678901234567890"},
      {"000000000000000005", "5"},
      {"1000000000", "1000000000"},
      {"999999999.999999999", "999999999.999999999"},
      {"0.0000000001", "0.0000000001"},
      {"1.1234567891", "1.1234567891"},
      {"-0.0", "0"},  // a zero never carries a sign
      {"-0.000000000000", "0"},
  };
  for (const Row& row : rows) {
    Var v;
    EXPECT_TRUE(UnlNumFromText(&v.n, row.text)) << row.text;
    EXPECT_EQ(v.Text(), row.printed) << row.text;
  }
}

TEST(UnlNumFromText, RefusesMalformedTextsAndLeavesZero) {
  const char* rows[] = {"",    "-0",  "-",    "+5",   ".5",   "1.2.3", "1e5", " 5",    "5 ",
                        "-.5", "-05", "-00.5", "-0.", "--5", "5-",    "abc", "1,5",  "0x10",
                        "١",   "5\x80"};
  for (const char* text : rows) {
    Var v("12.5");
    EXPECT_FALSE(UnlNumFromText(&v.n, text)) << text;
    ASSERT_NE(v.n, nullptr) << text;
    EXPECT_EQ(v.Text(), "0") << text;
  }
  Var v("3");
  EXPECT_FALSE(UnlNumFromText(&v.n, nullptr));
  EXPECT_EQ(v.Text(), "0");
  EXPECT_FALSE(UnlNumFromText(&v.n, "12", 0));
  EXPECT_TRUE(UnlNumFromText(&v.n, "12x", 2));  // a counted text need not end at a zero byte
  EXPECT_EQ(v.Text(), "12");
}

TEST(UnlNumFromText, CutsGroupsOfNineDigits) {
  Var v("1234567890123.5");
  ASSERT_EQ(v.n->integerGroupCount, 2);
  ASSERT_EQ(v.n->fractionGroupCount, 1);
  const uint32_t* g = UnlNumGroups(v.n);
  EXPECT_EQ(g[0], 500000000u);
  EXPECT_EQ(g[1], 567890123u);
  EXPECT_EQ(g[2], 1234u);
  EXPECT_EQ(UnlNumIntegerDigits(v.n), 13);
  EXPECT_EQ(UnlNumFractionDigits(v.n), 9);
}

struct ArithmeticRow {
  const char* a;
  const char* b;
  const char* sum;
  const char* difference;
};

TEST(UnlNumAdd, CarriesAndBorrowsAcrossGroupsAndThePoint) {
  const ArithmeticRow rows[] = {
      {"999999999", "1", "1000000000", "999999998"},
      {"0.999999999", "0.000000001", "1", "0.999999998"},
      {"999999999999999999.999999999", "0.000000001", "1000000000000000000", "999999999999999999.999999998"},
      {"1000000000000000000", "0.000000001", "1000000000000000000.000000001", "999999999999999999.999999999"},
      {"1000000000", "999999999", "1999999999", "1"},
      {"0.5", "0.25", "0.75", "0.25"},
      {"1.5", "1.0000000005", "2.5000000005", "0.4999999995"},
      {"3", "3", "6", "0"},
      {"-3", "-3", "-6", "0"},
      {"-5", "3", "-2", "-8"},
      {"5", "-3", "2", "8"},
      {"3", "-5", "-2", "8"},
      {"-3", "5", "2", "-8"},
      {"0.1", "-0.1", "0", "0.2"},
      {"-0.5", "0", "-0.5", "-0.5"},
      {"0", "0", "0", "0"},
      {"123456789123456789", "876543210876543211", "1000000000000000000", "-753086421753086422"},
  };
  for (const ArithmeticRow& row : rows) {
    Var a(row.a), b(row.b);
    Var sum(UnlNumAdd(a.n, b.n)), difference(UnlNumSubtract(a.n, b.n));
    EXPECT_EQ(sum.Text(), row.sum) << row.a << " + " << row.b;
    EXPECT_EQ(difference.Text(), row.difference) << row.a << " - " << row.b;
  }
}

TEST(UnlNumAdd, KeepsGroupCountsTight) {
  Var nines("999999999"), one("1"), big("1000000000");
  Var sum(UnlNumAdd(nines.n, one.n)), difference(UnlNumSubtract(big.n, one.n));
  EXPECT_EQ(sum.n->integerGroupCount, 2);
  EXPECT_EQ(difference.n->integerGroupCount, 1);  // the emptied top group is dropped
}

TEST(UnlNumLess, OrdersBySignThenMagnitude) {
  struct Row {
    const char* a;
    const char* b;
    bool less;
  } rows[] = {
      {"-5", "-3", true},
      {"-3", "-5", false},
      {"3", "3", false},
      {"-3", "3", true},
      {"3", "-3", false},
      {"0", "0.000000001", true},
      {"-0.000000001", "0", true},
      {"5", "5.0", false},  // trailing zero fraction groups do not make a number larger
      {"5.0", "5", false},
      {"5.000000000000000001", "5", false},
      {"5", "5.000000000000000001", true},
      {"999999999.9", "1000000000", true},
      {"1000000000", "999999999.9", false},
      {"0.5", "0.45", false},
      {"-0.5", "-0.45", true},
      {"12345678901234567890", "12345678901234567891", true},
  };
  for (const auto& row : rows) {
    Var a(row.a), b(row.b);
    EXPECT_EQ(UnlNumLess(a.n, b.n), row.less) << row.a << " < " << row.b;
  }
}

TEST(UnlNumDivide, TruncatesTowardZeroToThePlaces) {
  struct Row {
    const char* a;
    const char* b;
    int32_t places;
    const char* quotient;
  } rows[] = {
      {"7", "2", 0, "3"},
      {"7", "2", 2, "3.5"},
      {"-7", "2", 0, "-3"},
      {"7", "-2", 1, "-3.5"},
      {"-7", "-2", 0, "3"},
      {"-1", "3", 0, "0"},  // no minus on a quotient that truncates to zero
      {"5", "0", 0, "0"},
      {"0", "5", 3, "0"},
      {"7", "2", -1, "0"},
      {"1", "3", 20, "0.33333333333333333333"},
      {"2", "3", 10, "0.6666666666"},
      {"10", "0.3", 0, "33"},
      {"1", "0.000000001", 0, "1000000000"},
      {"123.456", "0.01", 1, "12345.6"},
      {"1.5", "1", 0, "1"},  // dividing by one still truncates to the places
      {"-1.5", "-1", 0, "1"},
      {"-12.75", "1", 1, "-12.7"},
      {"3.3", "3.3", 4, "1"},
      {"5", "5.000", 0, "1"},
      {"1000000000000000000000000000", "1000000000000", 0, "1000000000000000"},
      {"999999999999999999999999999", "999999999999", 3, "1000000000001000"},
      {"1", "7", 30, "0.142857142857142857142857142857"},
      {"100000000000000000000", "99999999999", 0, "1000000000"},
      // Trial quotient digits one too large, which long division must take back.
      {"9909000000900000000909000090000900000", "900900000000000000090", 0, "10999000999999999"},
      {"900000000000000000090009000000000009009900000000090000000000000", "90000000000000000090009000000", 0,
       "9999999999999999990999100000000000"},
  };
  for (const auto& row : rows) {
    Var a(row.a), b(row.b);
    Var q(UnlNumDivide(a.n, b.n, row.places));
    EXPECT_EQ(q.Text(), row.quotient) << row.a << " / " << row.b << " to " << row.places;
  }
}

TEST(UnlNumIntegerPart, DropsTheFractionAndKeepsTheSign) {
  struct Row {
    const char* n;
    const char* integer;
  } rows[] = {{"12.99", "12"}, {"-12.99", "-12"}, {"-0.5", "0"}, {"1000000000.5", "1000000000"}, {"7", "7"}};
  for (const auto& row : rows) {
    Var n(row.n);
    Var integer(UnlNumIntegerPart(n.n));
    EXPECT_EQ(integer.Text(), row.integer) << row.n;
    EXPECT_EQ(integer.n->fractionGroupCount, 0);
  }
}

TEST(UnlNumVariables, StoreCopiesAndReleaseWhatTheyHeld) {
  Var v("1.5");
  Var source("-2.25");
  UnlNumAssign(&v.n, source.n);
  EXPECT_EQ(v.Text(), "-2.25");
  EXPECT_NE(v.n, source.n);
  UnlNumAssign(&v.n, nullptr);
  EXPECT_EQ(v.Text(), "-2.25");
  UnlNumAssign(&v.n, v.n);
  EXPECT_EQ(v.Text(), "-2.25");
  UnlNumCreate(&v.n);
  EXPECT_EQ(v.Text(), "0");
  UnlNumFree(&v.n);
  EXPECT_EQ(v.n, nullptr);
  UnlNumFree(&v.n);

  char* text = UnlNumToText(source.n);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "-2.25");
  FreeBlock(text);
}

TEST(UnlNumMemory, ExhaustionGivesZeroAndNoLeak) {
  Var a("123456789123456789.5"), b("2");
  UnlNumFailAllocationAfter(1);
  Var sum(UnlNumAdd(a.n, b.n));
  EXPECT_EQ(sum.Text(), "0");
  UnlNumFailAllocationAfter(1);
  Var quotient(UnlNumDivide(a.n, b.n, 3));
  EXPECT_EQ(quotient.Text(), "0");
  Var v("4");
  UnlNumFailAllocationAfter(1);
  EXPECT_FALSE(UnlNumFromText(&v.n, "17.5"));
  EXPECT_EQ(v.Text(), "0");
  UnlNumFailAllocationAfter(1);
  UnlNumAssign(&v.n, a.n);  // the copy failed: the variable is left missing
  EXPECT_EQ(v.n, nullptr);
  UnlNumFailAllocationAfter(0);
}

}  // namespace
}  // namespace vorenn
