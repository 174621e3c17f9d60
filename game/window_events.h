// What each bound unit event of the program's window does. Handlers with arguments take the
// event's arguments as 32-bit words.
#pragma once

#include <cstdint>
#include <string>

namespace vorenn::game {

void OnWindowCreated();
// Minimised: the window goes to the notification area.
void OnWindowMoved();
void OnWindowResized();
// Any use of the notification-area icon restores the window; the mouse action is not looked at.
void OnTrayIconUsed(const uint32_t* args, int count);
void OnLoginClicked();
void OnRegisterClicked();
void OnChangePasswordClicked();
void OnConfirmClicked();
void OnCancelClicked();
void OnCreateCharacterClicked();
void OnSignOutClicked();
void OnCharacterClicked();
void OnRankingClicked();
void OnSecondTick();
void OnAnimationTick();
void OnSkillScrollChanged();
// First argument: the wheel distance in notches.
void OnSkillScrollWheel(const uint32_t* args, int count);
void OnSkillPanelWheel(const uint32_t* args, int count);
// The level-up button or any copy of it: the row is named by the button's tag.
void OnLevelUpClicked();

// The tip shown on the notification-area icon: "点击恢复！\r\n" and the window's title.
std::string TrayTip(const std::string& title);

}  // namespace vorenn::game
