// AccountPanel: the sign-in box with its three forms (login, registration, password change) and
// the settings file that remembers the last account and password.
//
// Settings file: "pz.ini" beside the program, or in the user's configuration folder when the
// program's folder is not writable (game/settings_location.h), an INI file with one section "登陆" and the
// keys "账号" (account) and "密码" (password, as typed). It is written only after a successful
// login, created readable by its owner only and replaced whole on every write.
#pragma once

#include <cstdint>
#include <memory>

#include "game/engine_calls.h"

namespace vorenn::game {

class AccountPanel {
 public:
  AccountPanel() = default;
  AccountPanel(const AccountPanel&) = delete;
  AccountPanel& operator=(const AccountPanel&) = delete;

  ~AccountPanel();
  // Settings path; the box moved to 2, -1; the window 245 high.
  void Init();
  void ShowPanel(bool show);
  void SetLoginMode(bool on);
  void SetChangePasswordMode(bool on);
  void SetRegisterMode(bool on);
  void SaveSettings();
  void LoadSettings();
  void Login();
  void SubmitAccountForm();

  std::string_view Mode() const { return mode_.View(); }
  std::string_view SettingsPath() const { return settingsPath_.View(); }

 private:
  EngineText mode_;          // "登陆", "修改密码" or "注册账号"; empty before the first login form
  EngineText settingsPath_;  // SettingsFilePath()
};

}  // namespace vorenn::game
