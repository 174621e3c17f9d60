#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "commands/system_commands.h"
#include "platform/profile_file.h"
#include "tests/commands/ini_test_fixture.h"

namespace vorenn {
namespace {

namespace fs = std::filesystem;

TEST_F(IniTest, MatchesNamesWithoutCaseAndTakesTheFirstMatch) {
  Store("; comment\n[Login]\n Account =  alice  \naccount=second\n[login]\nPassword=x\n[Other]\nAccount=bob\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"login", "ACCOUNT", "alice"},
      {"LOGIN", "account", "alice"},
      {"Login", "Password", "none"},  // only the first [login] section counts
      {"other", "account", "bob"},
      {"missing", "account", "none"},
      {"login", "missing", "none"},
      {"; comment", "x", "none"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.section, c.key, "none"), c.expected) << c.section << "/" << c.key;
}

TEST_F(IniTest, EmptyNamesGiveTheEmptyTextEvenWithADefault) {
  Store("[s]\nk=v\n");
  EXPECT_EQ(ReadIniItem(path_, "s", "", "default"), "");
  EXPECT_EQ(ReadIniItem(path_, "s", std::nullopt, "default"), "");
  EXPECT_EQ(ReadIniItem(path_, " \t", "k", "default"), "");
  EXPECT_EQ(ReadIniItem("  ", "s", "k", "default"), "");
  EXPECT_EQ(ReadIniItem(" " + path_, "\n s", "\tk", "default"), "v");  // leading blanks skipped
  EXPECT_EQ(ReadIniItem(dir_ + "/absent.ini", "s", "k", std::nullopt), "");
  EXPECT_EQ(ReadIniItem(dir_ + "/absent.ini", "s", "k", "d"), "d");
}

TEST_F(IniTest, FirstWriteCreatesFileAndSectionWithCrLf) {
  const std::string account = "\xD5\xCB\xBA\xC5";  // GBK bytes pass through as they are
  ASSERT_TRUE(WriteIniItem(path_, "\xB5\xC7\xC2\xBD", account, "alice"));
  ASSERT_TRUE(WriteIniItem(path_, "\xB5\xC7\xC2\xBD", "pw", "secret"));
  EXPECT_EQ(Content(), "[\xB5\xC7\xC2\xBD]\r\n" + account + "=alice\r\npw=secret\r\n");
  EXPECT_EQ(Read("\xB5\xC7\xC2\xBD", account), "alice");
}

TEST_F(IniTest, ARewriteLeavesNoTemporaryFile) {
  Store("[s]\r\nk=old\r\n");
  ASSERT_TRUE(WriteIniItem(path_, "s", "k", "new"));
  EXPECT_EQ(Read("s", "k"), "new");
  // No temporary file is left beside it.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);
}

TEST_F(IniTest, ReplacingAndDeletingKeysAndSections) {
  Store("[a]\r\nx=1\r\ny=2\r\n\r\n[b]\r\nz=3\r\n");
  ASSERT_TRUE(WriteIniItem(path_, "A", "X", "10"));
  ASSERT_TRUE(WriteIniItem(path_, "a", "w", "0"));
  EXPECT_EQ(Content(), "[a]\r\nX=10\r\ny=2\r\nw=0\r\n\r\n[b]\r\nz=3\r\n");
  ASSERT_TRUE(WriteIniItem(path_, "a", "y", std::nullopt));
  EXPECT_EQ(Read("a", "y", "gone"), "gone");
  ASSERT_TRUE(WriteIniItem(path_, "a", std::nullopt, std::nullopt));
  EXPECT_EQ(Content(), "[b]\r\nz=3\r\n");
  // Deleting what is not there succeeds and leaves the file alone.
  ASSERT_TRUE(WriteIniItem(path_, "none", std::nullopt, std::nullopt));
  ASSERT_TRUE(WriteIniItem(path_, "b", "none", std::nullopt));
  EXPECT_EQ(Content(), "[b]\r\nz=3\r\n");
  EXPECT_TRUE(WriteIniItem(dir_ + "/never.ini", "s", "k", std::nullopt));
  EXPECT_FALSE(fs::exists(dir_ + "/never.ini"));
}

TEST_F(IniTest, ValuesThatWouldForgeLinesAreRefused) {
  ASSERT_TRUE(WriteIniItem(path_, "s", "k", "v"));
  EXPECT_FALSE(WriteIniItem(path_, "s", "k", "v\r\n[evil]\r\nk=x"));
  EXPECT_FALSE(WriteIniItem(path_, "s\n", "k", "v"));
  EXPECT_EQ(Read("s", "k"), "v");
}

TEST_F(IniTest, ReadsAreLimitedToTheBuffer) {
  Store("[s]\nk=" + std::string(20000, 'x') + "\nd=" + std::string(10238, 'y') + "\xB0\xA1\n");
  EXPECT_EQ(Read("s", "k").size(), 10239u);
  // The cut never leaves half a double-byte character.
  EXPECT_EQ(Read("s", "d"), std::string(10238, 'y'));
  EXPECT_EQ(platform::ReadProfileString(path_, "s", "k", "", 4), "xxx");
}

}  // namespace
}  // namespace vorenn
