#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "commands/system_commands.h"
#include "platform/profile_file.h"

namespace vorenn {
namespace {

namespace fs = std::filesystem;

class IniTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorenn-ini-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/pz.ini";
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Store(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }
  std::string Content() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string Read(std::string_view section, std::string_view key, std::string_view def = "") {
    return ReadIniItem(path_, section, key, def);
  }

  std::string dir_, path_;
};

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

TEST_F(IniTest, FirstWriteCreatesFileAndSectionWithCrLfAndMode) {
  const std::string account = "\xD5\xCB\xBA\xC5";  // GBK bytes pass through as they are
  ASSERT_TRUE(WriteIniItem(path_, "\xB5\xC7\xC2\xBD", account, "alice"));
  ASSERT_TRUE(WriteIniItem(path_, "\xB5\xC7\xC2\xBD", "pw", "secret"));
  EXPECT_EQ(Content(), "[\xB5\xC7\xC2\xBD]\r\n" + account + "=alice\r\npw=secret\r\n");
  EXPECT_EQ(Read("\xB5\xC7\xC2\xBD", account), "alice");
  struct stat st;
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // A file created through the platform writer gets its default mode and keeps it there.
  const std::string other = dir_ + "/other.ini";
  ASSERT_TRUE(platform::WriteProfileString(other, "s", "k", "v"));
  ASSERT_TRUE(platform::WriteProfileString(other, "s", "k", "w"));
  ASSERT_EQ(stat(other.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(IniTest, AnExistingFileOpenToOthersIsClosedToItsOwnerOnTheNextWrite) {
  struct Case {
    mode_t found, after;
  } cases[] = {{0644, 0600}, {0666, 0600}, {0777, 0600}, {0640, 0600}, {0600, 0600}, {0400, 0400}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.found);
    Store("[\xB5\xC7\xC2\xBD]\r\nuser=alice\r\n\r\n[other]\r\nkeep=1\r\n");
    ASSERT_EQ(chmod(path_.c_str(), c.found), 0);
    ASSERT_TRUE(WriteIniItem(path_, "\xB5\xC7\xC2\xBD", "pw", "secret"));
    struct stat st;
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.after);
    EXPECT_EQ(Content(), "[\xB5\xC7\xC2\xBD]\r\nuser=alice\r\npw=secret\r\n\r\n[other]\r\nkeep=1\r\n");
    ASSERT_EQ(chmod(path_.c_str(), 0600), 0);
  }
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

TEST_F(IniTest, RewriteIsAtomicAndFailuresLeaveTheOldFile) {
  Store("[s]\r\nk=old\r\n");
  ASSERT_TRUE(WriteIniItem(path_, "s", "k", "new"));
  EXPECT_EQ(Read("s", "k"), "new");
  // No temporary file is left beside it.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);

  // A full disk (here: a file-size limit) fails the write and leaves the old file intact.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = {8, saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool written = WriteIniItem(path_, "s", "k", std::string(100, 'z'));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(Content(), "[s]\r\nk=new\r\n");
  files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);
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

TEST(GetRunDirectory, IsTheDirectoryOfTheProgramFile) {
  std::string dir = GetRunDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '/');
  EXPECT_TRUE(fs::exists(fs::read_symlink("/proc/self/exe")));
  EXPECT_EQ(fs::path(dir), fs::read_symlink("/proc/self/exe").parent_path());
}

}  // namespace
}  // namespace vorenn
