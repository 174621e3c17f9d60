// The INI items' test folder: a fresh folder per test, and the file read back byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "commands/system_commands.h"
#include "tests/support/temp_folder.h"

namespace vorenn {

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::TempFolder("vorenn-ini");
    ASSERT_FALSE(dir_.empty());
    path_ = dir_ + "/pz.ini";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

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

}  // namespace vorenn
