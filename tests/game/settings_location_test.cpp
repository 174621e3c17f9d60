// Where pz.ini goes: beside the program while its folder is writable, else in the user's
// configuration folder, made private.
#include "game/settings_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vorenn::game {
namespace {

namespace fs = std::filesystem;

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

TEST_F(SettingsLocation, ChoosesTheProgramFolderOnlyWhileItIsWritable) {
  EXPECT_EQ(ChooseSettingsFolder("/opt/game", true, "/x/config", "/home/p"), "/opt/game");
  EXPECT_EQ(ChooseSettingsFolder("/usr/bin", false, "/x/config", "/home/p"), "/x/config/vorenn");
  EXPECT_EQ(ChooseSettingsFolder("/usr/bin", false, nullptr, "/home/p"), "/home/p/.config/vorenn");
  EXPECT_EQ(ChooseSettingsFolder("/usr/bin", false, "", "/home/p"), "/home/p/.config/vorenn");
  // A relative XDG_CONFIG_HOME would put the password wherever the program was started.
  EXPECT_EQ(ChooseSettingsFolder("/usr/bin", false, "config", "/home/p"), "/home/p/.config/vorenn");
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
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  std::string saved = oldXdg != nullptr ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", (root_ + "/xdg").c_str(), 1);
  // Writable: beside the program, and nothing is created elsewhere.
  EXPECT_EQ(SettingsFilePath(root_), root_ + "/pz.ini");
  EXPECT_FALSE(fs::exists(root_ + "/xdg"));
  // A folder the process cannot write into (a missing one stands for it even when run as root).
  EXPECT_EQ(SettingsFilePath(root_ + "/absent"), root_ + "/xdg/vorenn/pz.ini");
  EXPECT_EQ(ModeOf(root_ + "/xdg/vorenn"), 0700u);
  if (oldXdg != nullptr)
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace vorenn::game
