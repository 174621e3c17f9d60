#include "engine/core/memory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/runtime_error.h"
#include "tests/support/exit_status.h"

namespace vorenn {
namespace {

VORENN_CONST const char kGreeting[] = "constant text";

TEST(ConstantSegment, FreeAndReallocNeverTouchTheConstant) {
  ASSERT_TRUE(IsConstant(kGreeting));
  FreeBlock(const_cast<char*>(kGreeting));
  FreeBlock(nullptr);
  auto* copy = static_cast<char*>(ReallocBlock(const_cast<char*>(kGreeting), 9));
  EXPECT_FALSE(IsConstant(copy));
  EXPECT_EQ(std::memcmp(copy, "constant ", 9), 0);
  EXPECT_STREQ(kGreeting, "constant text");
  FreeBlock(copy);
}

TEST(ConstantSegment, HeapBlocksAreNotConstant) {
  void* p = AllocBlock(16);
  EXPECT_FALSE(IsConstant(p));
  p = ReallocBlock(p, 4096);
  EXPECT_FALSE(IsConstant(p));
  FreeBlock(p);
}

TEST(AllocBlockDeathTest, FailureReportsTheSizeAndEndsWithMinusOne) {
  EXPECT_EXIT(
      {
        FailAllocationAfter(1);
        AllocBlock(1234);
      },
      test_support::EndedWithMinusOne, "1234");
}

TEST(RuntimeErrorText, EmptyMessageAndNoCodeShowOnlyTheHead) {
  EXPECT_EQ(RuntimeErrorText("", 0), "运行时出错!\r\n\r\n");
  EXPECT_EQ(RuntimeErrorText("x", 5), "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：x\r\n");
}

}  // namespace
}  // namespace vorenn
