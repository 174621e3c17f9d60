#include "game/account_panel.h"

#include "game/globals.h"
#include "game/request_text.h"
#include "game/server_call.h"
#include "game/settings_location.h"
#include "game/window_units.h"
#include "json/json_value.h"

namespace vorenn::game {
namespace {

constexpr char kLoginMode[] = "登陆";
constexpr char kChangePasswordMode[] = "修改密码";
constexpr char kRegisterMode[] = "注册账号";
constexpr char kSettingsSection[] = "登陆";
constexpr char kAccountKey[] = "账号";
constexpr char kPasswordKey[] = "密码";
constexpr char kPasswordsDiffer[] = "两次输入的密码不同！";

void SetVisible(GameUnit unit, bool visible) { WriteInt(unit, prop::kVisible, visible ? 1 : 0); }

void SetFormHeights(int32_t windowHeight, int32_t boxHeight) {
  WriteInt(units::kWindow, prop::kHeight, windowHeight);
  WriteInt(units::kSignInGroup, prop::kHeight, boxHeight);
}

std::string Content(GameUnit box) { return ReadText(box, prop::kContent); }

}  // namespace

AccountPanel::~AccountPanel() = default;

void AccountPanel::Init() {
  settingsPath_ = EngineText(SettingsFilePath(GetRunDirectory()));
  MoveUnit(units::kSignInGroup, 2, -1);
  WriteInt(units::kWindow, prop::kHeight, 245);
}

void AccountPanel::ShowPanel(bool show) { SetVisible(units::kSignInGroup, show); }

void AccountPanel::SetLoginMode(bool on) {
  if (on) {
    mode_ = EngineText(kLoginMode);
    SetFormHeights(246, 217);
    WriteText(units::kPassword1Caption, prop::kCaption, "密码：");
    for (GameUnit u : {units::kLoginButton, units::kRegisterButton, units::kChangePasswordButton}) SetVisible(u, true);
    return;
  }
  for (GameUnit u : {units::kLoginButton, units::kRegisterButton, units::kChangePasswordButton, units::kConfirmButton,
                     units::kCancelButton})
    SetVisible(u, false);
}

void AccountPanel::SetChangePasswordMode(bool on) {
  static constexpr GameUnit kShown[] = {units::kPassword2Caption, units::kPassword3Caption, units::kPassword2Box,
                                        units::kPassword3Box,     units::kConfirmButton,     units::kCancelButton};
  if (on) {
    mode_ = EngineText(kChangePasswordMode);
    SetFormHeights(277, 249);
    WriteText(units::kPassword1Caption, prop::kCaption, "旧密码：");
    WriteText(units::kPassword2Caption, prop::kCaption, "新密码：");
    WriteText(units::kPassword3Caption, prop::kCaption, "确认密码：");
  }
  for (GameUnit u : kShown) SetVisible(u, on);
}

void AccountPanel::SetRegisterMode(bool on) {
  static constexpr GameUnit kShown[] = {units::kPassword2Caption, units::kPassword2Box, units::kEmailCaption,
                                        units::kEmailBox,         units::kConfirmButton, units::kCancelButton};
  if (on) {
    mode_ = EngineText(kRegisterMode);
    SetFormHeights(277, 249);
    WriteInt(units::kEmailCaption, prop::kTop, 172);
    WriteInt(units::kEmailBox, prop::kTop, 174);
    WriteText(units::kPassword2Caption, prop::kCaption, "确认密码：");
  }
  for (GameUnit u : kShown) SetVisible(u, on);
}

void AccountPanel::SaveSettings() {
  std::string path = settingsPath_.Str();
  WriteIniItem(path, kSettingsSection, kAccountKey, Content(units::kAccountBox));
  WriteIniItem(path, kSettingsSection, kPasswordKey, Content(units::kPassword1Box));
}

void AccountPanel::LoadSettings() {
  std::string path = settingsPath_.Str();
  WriteText(units::kAccountBox, prop::kContent, ReadIniItem(path, kSettingsSection, kAccountKey));
  WriteText(units::kPassword1Box, prop::kContent, ReadIniItem(path, kSettingsSection, kPasswordKey));
}

void AccountPanel::Login() {
  if (mode_.View() != kLoginMode) return;
  std::unique_ptr<JsonValue> answer =
      CallServer(LoginRequest(Content(units::kAccountBox), Content(units::kPassword1Box)));
  if (!HasResult(*answer)) return;
  if (!IsSuccess(*answer)) {
    ShowServerMessage(*answer);
    return;
  }
  SaveSettings();
  Game().EnterWithToken(MemberText(*answer, "md5"));
}

void AccountPanel::SubmitAccountForm() {
  std::string query;
  if (mode_.View() == kRegisterMode) {
    std::string password = Content(units::kPassword1Box);
    if (password != Content(units::kPassword2Box)) {
      ShowMessageBox(kPasswordsDiffer);
      return;
    }
    query = RegisterRequest(Content(units::kAccountBox), password, Content(units::kEmailBox));
  } else if (mode_.View() == kChangePasswordMode) {
    std::string newPassword = Content(units::kPassword2Box);
    if (newPassword != Content(units::kPassword3Box)) {
      ShowMessageBox(kPasswordsDiffer);
      return;
    }
    query = ChangePasswordRequest(Content(units::kAccountBox), Content(units::kPassword1Box), newPassword);
  } else {
    return;
  }
  Globals().lastAccountRequest = EngineText(query);
  std::unique_ptr<JsonValue> answer = CallServer(query);
  // Success or not, the server's text says what happened; the form stays as it is.
  if (HasResult(*answer)) ShowServerMessage(*answer);
}

}  // namespace vorenn::game
