// Where pz.ini goes: beside the program while its folder is writable, else in the user's
// configuration folder, made private.
#include "game/settings_location.h"
#include "platform/settings_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vorenn::game {
namespace {

namespace fs = std::filesystem;
using platform::MakePrivateFolder;

// Sets an environment variable (null: unsets it) for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

class SettingsLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorenn-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  static unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFFu;
  }

  std::string root_;
};

TEST_F(SettingsLocation, TheUserFolderFollowsXdgConfigHomeOrHome) {
  ScopedEnv home("HOME", "/home/p");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/x/config");
    EXPECT_EQ(platform::UserSettingsFolder("vorenn"), "/x/config/vorenn");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(platform::UserSettingsFolder("vorenn"), "/home/p/.config/vorenn");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "");
    EXPECT_EQ(platform::UserSettingsFolder("vorenn"), "/home/p/.config/vorenn");
  }
  {
    // A relative XDG_CONFIG_HOME would put the password wherever the program was started.
    ScopedEnv xdg("XDG_CONFIG_HOME", "config");
    EXPECT_EQ(platform::UserSettingsFolder("vorenn"), "/home/p/.config/vorenn");
  }
}

TEST_F(SettingsLocation, MakesTheMissingFoldersPrivateAndClosesAnOpenOne) {
  std::string folder = root_ + "/config/vorenn";
  ASSERT_TRUE(MakePrivateFolder(folder));
  EXPECT_EQ(ModeOf(root_ + "/config"), 0700u);
  EXPECT_EQ(ModeOf(folder), 0700u);

  ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
  ASSERT_TRUE(MakePrivateFolder(folder));
  EXPECT_EQ(ModeOf(folder), 0700u);

  std::string file = root_ + "/plain";
  { FILE* f = std::fopen(file.c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
  EXPECT_FALSE(MakePrivateFolder(file));
  EXPECT_FALSE(MakePrivateFolder(file + "/below"));
}

TEST_F(SettingsLocation, SettingsFilePathFollowsTheEnvironment) {
  ScopedEnv xdg("XDG_CONFIG_HOME", (root_ + "/xdg").c_str());
  // Writable: beside the program, and nothing is created elsewhere.
  EXPECT_EQ(SettingsFilePath(root_), root_ + "/pz.ini");
  EXPECT_FALSE(fs::exists(root_ + "/xdg"));
  // A folder the process cannot write into (a missing one stands for it even when run as root).
  EXPECT_EQ(SettingsFilePath(root_ + "/absent"), root_ + "/xdg/vorenn/pz.ini");
  EXPECT_EQ(ModeOf(root_ + "/xdg/vorenn"), 0700u);
}

}  // namespace
}  // namespace vorenn::game
