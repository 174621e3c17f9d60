// INI items on Linux: the files' permission bits, a full disk, and the program directory as
// /proc tells it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "commands/system_commands.h"
#include "platform/profile_file.h"
#include "tests/commands/ini_test_fixture.h"

namespace vorenn {
namespace {

namespace fs = std::filesystem;

TEST_F(IniTest, AFirstWriteCreatesTheFileReadableByItsOwnerOnly) {
  ASSERT_TRUE(WriteIniItem(path_, "\xB5\xC7\xC2\xBD", "user", "alice"));
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

TEST_F(IniTest, AFailedRewriteLeavesTheOldFile) {
  Store("[s]\r\nk=new\r\n");
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
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);
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
