#include "commands/bytes_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "commands/command_values.h"
#include "engine/core/memory.h"
#include "tests/support/exit_status.h"

namespace vorenn {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(FindBytes, PositionsStartsAndEdges) {
  const Bytes data = {1, 2, 3, 1, 2, 3, 1};
  struct Case {
    Bytes sought;
    std::optional<int32_t> start;
    int32_t expected;
  };
  const Case cases[] = {
      {{2, 3}, {}, 2},        {{2, 3}, 3, 5},       {{2, 3}, 6, -1},   {{3, 1}, -4, 3},
      {{1}, 7, 7},            {{1, 9}, 7, -1},      {{}, {}, -1},      {{1, 2, 3, 1, 2, 3, 1, 2}, {}, -1},
      {{1, 2, 3, 1}, 2, 4},   {{9}, {}, -1},        {{1}, 8, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindBytes(data, c.sought, c.start), c.expected) << int(c.sought.size()) << " start " << c.start.value_or(0);
  }
  EXPECT_EQ(FindBytes({}, Bytes{1}), -1);
}

TEST(GetBytesData, ShortReadsZeroFillHighBytes) {
  const Bytes two = {0x34, 0x12};
  RuntimeValue v = GetBytesData(two, kDataInt);
  EXPECT_EQ(v.type, kTypeInt);
  EXPECT_EQ(v.low, 0x1234u);

  const Bytes eight = {1, 0, 0, 0, 0, 0, 0, 0x80};
  v = GetBytesData(eight, kDataLong);
  EXPECT_EQ(v.type, kTypeLong);
  EXPECT_EQ(LongOf(v), int64_t(0x8000000000000001ull));

  v = GetBytesData(Bytes{0, 0, 0, 2}, kDataBool);
  EXPECT_EQ(v.type, kTypeBool);
  EXPECT_EQ(v.low, 1u);
}

TEST(GetBytesData, PositionWalksThroughValuesAndEndsWithMinusOne) {
  // int 7, "ab", zero, short 5
  const Bytes data = {7, 0, 0, 0, 'a', 'b', 0, 5, 0};
  int32_t position = 1;
  EXPECT_EQ(GetBytesData(data, kDataInt, &position).low, 7u);
  EXPECT_EQ(position, 5);
  RuntimeValue text = GetBytesData(data, kDataText, &position);
  EXPECT_EQ(text.type, kTypeText);
  EXPECT_STREQ(static_cast<char*>(PointerOf(text)), "ab");
  FreeBlock(PointerOf(text));
  EXPECT_EQ(position, 8);
  EXPECT_EQ(GetBytesData(data, kDataShort, &position).low, 5u);
  EXPECT_EQ(position, -1);

  position = 0;  // nothing to read
  EXPECT_EQ(GetBytesData(data, kDataInt, &position).low, 0u);
  EXPECT_EQ(position, -1);
  position = 99;
  text = GetBytesData(data, kDataText, &position);
  EXPECT_EQ(PointerOf(text), nullptr);
  EXPECT_EQ(position, -1);
}

TEST(GetBytesData, DateTimeIsLimitedToItsRange) {
  double huge = 1e9;
  Bytes raw(8);
  std::memcpy(raw.data(), &huge, 8);
  RuntimeValue v = GetBytesData(raw, kDataDateTime);
  EXPECT_EQ(v.type, kTypeDateTime);
  EXPECT_EQ(DoubleOf(v), 2958465.0);
}

TEST(GetBytesDataDeathTest, BadCodeIsFatal) {
  EXPECT_EXIT(GetBytesData(Bytes{1}, 11), test_support::EndedWithMinusOne, "");
  EXPECT_EXIT(GetBytesData(Bytes{1}, 0), test_support::EndedWithMinusOne, "");
}

}  // namespace
}  // namespace vorenn
