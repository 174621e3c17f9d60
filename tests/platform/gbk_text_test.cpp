// GBK <-> UTF-8 at the platform edge. The conversions keep their descriptors between calls, so the
// table runs twice in a row and on a second thread: no call may see what an earlier one left.
#include "platform/gbk_text.h"

#include <gtest/gtest.h>

#include <thread>

namespace vorenn::platform {
namespace {

struct Row {
  std::string gbk;
  std::string utf8;
};

const Row kGbkToUtf8[] = {
    {"", ""},
    {"plain ASCII", "plain ASCII"},
    {"\xC4\xE3\xBA\xC3", "\xE4\xBD\xA0\xE5\xA5\xBD"},  // 你好
    {"\xC4", "?"},                                     // a lead byte cut off at the end
    {"\xC4\xE3\xBA", "\xE4\xBD\xA0?"},
    {"\xBA\xC3", "\xE5\xA5\xBD"},                      // right after a text that was cut off
    {"a\xFF" "b", "a?b"},                              // not GBK at all
    {"\xA1\xA1", "\xE3\x80\x80"},                      // the full-width space
};

const Row kUtf8ToGbk[] = {
    {"\xC4\xE3", "\xE4\xBD\xA0"},
    {"??", "\xE4\xBD"},            // a character cut off at the end: each byte replaced
    {"\xBA\xC3", "\xE5\xA5\xBD"},
    {"x?y", "x\x80y"},              // a stray continuation byte
};

void CheckAll() {
  for (const Row& row : kGbkToUtf8) EXPECT_EQ(GbkToUtf8(row.gbk), row.utf8) << row.utf8;
  for (const Row& row : kUtf8ToGbk) EXPECT_EQ(Utf8ToGbk(row.utf8), row.gbk) << row.utf8;
}

TEST(GbkText, ConvertsEveryCallAfreshOnEveryThread) {
  CheckAll();
  CheckAll();
  std::thread other(CheckAll);
  other.join();
}

}  // namespace
}  // namespace vorenn::platform
