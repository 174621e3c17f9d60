// The settings folder on Windows: %APPDATA%\<application>, made with its parents, and a folder's
// writability found by trying.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/settings_folder.h"
#include "tests/support/temp_folder.h"

namespace vorenn::platform {
namespace {

namespace fs = std::filesystem;

class SettingsFolderWin32 : public testing::Test {
 protected:
  void SetUp() override {
    root_ = test_support::TempFolder("vorenn-settings");
    ASSERT_FALSE(root_.empty());
    const char* appData = std::getenv("APPDATA");
    hadAppData_ = appData != nullptr;
    if (hadAppData_) savedAppData_ = appData;
  }
  void TearDown() override {
    _putenv_s("APPDATA", hadAppData_ ? savedAppData_.c_str() : "");
    fs::remove_all(root_);
  }
  std::string root_;
  bool hadAppData_ = false;
  std::string savedAppData_;
};

TEST_F(SettingsFolderWin32, TheUserFolderIsUnderAnAbsoluteAppData) {
  ASSERT_EQ(_putenv_s("APPDATA", (root_ + "\\Roaming\\").c_str()), 0);
  EXPECT_EQ(UserSettingsFolder("vorenn"), root_ + "\\Roaming\\vorenn");
  // A relative APPDATA would put the password wherever the program was started.
  ASSERT_EQ(_putenv_s("APPDATA", "Roaming"), 0);
  EXPECT_EQ(UserSettingsFolder("vorenn"), "");
}

TEST_F(SettingsFolderWin32, MakesTheFolderWithItsParentsAndRefusesAFile) {
  const std::string folder = root_ + "\\Roaming\\deeper\\vorenn";
  ASSERT_TRUE(MakePrivateFolder(folder));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(MakePrivateFolder(folder));  // already there
  const std::string file = root_ + "\\plain";
  std::ofstream(file) << "x";
  EXPECT_FALSE(MakePrivateFolder(file));
  EXPECT_FALSE(MakePrivateFolder(file + "\\below"));
}

TEST_F(SettingsFolderWin32, AFolderIsWritableWhenAFileCanBeMadeThereAndLeavesNoTrace) {
  EXPECT_TRUE(FolderWritable(root_));
  EXPECT_TRUE(fs::is_empty(root_));
  EXPECT_FALSE(FolderWritable(root_ + "\\absent"));
}

}  // namespace
}  // namespace vorenn::platform
