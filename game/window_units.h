// The units of the program's window that the game addresses, with the data-type codes their
// references carry, and the property indices the game reads and writes.
#pragma once

#include "engine/core/runtime_value.h"
#include "game/engine_calls.h"
#include "resources/window_ids.h"
#include "units/list_view_library.h"

namespace vorenn::game::units {

namespace ids = window_ids;

inline constexpr uint32_t kWindowId = ids::kMainWindow;

inline constexpr GameUnit kWindow{ids::kMainWindowRecord, kTypeWindow};
// Sign-in box.
inline constexpr GameUnit kSignInGroup{ids::kSignInGroup, kTypeGroupBox};
inline constexpr GameUnit kAccountBox{ids::kAccountBox, kTypeEditBox};
inline constexpr GameUnit kPassword1Caption{ids::kPassword1Caption, kTypeLabel};
inline constexpr GameUnit kPassword1Box{ids::kPassword1Box, kTypeEditBox};
inline constexpr GameUnit kPassword2Caption{ids::kPassword2Caption, kTypeLabel};
inline constexpr GameUnit kPassword2Box{ids::kPassword2Box, kTypeEditBox};
inline constexpr GameUnit kPassword3Caption{ids::kPassword3Caption, kTypeLabel};
inline constexpr GameUnit kPassword3Box{ids::kPassword3Box, kTypeEditBox};
inline constexpr GameUnit kEmailCaption{ids::kEmailCaption, kTypeLabel};
inline constexpr GameUnit kEmailBox{ids::kEmailBox, kTypeEditBox};
inline constexpr GameUnit kLoginButton{ids::kLoginButton, kTypeButton};
inline constexpr GameUnit kRegisterButton{ids::kRegisterButton, kTypeButton};
inline constexpr GameUnit kChangePasswordButton{ids::kChangePasswordButton, kTypeButton};
inline constexpr GameUnit kConfirmButton{ids::kConfirmButton, kTypeButton};
inline constexpr GameUnit kCancelButton{ids::kCancelButton, kTypeButton};
// Character creation box.
inline constexpr GameUnit kCreateGroup{ids::kCreateGroup, kTypeGroupBox};
inline constexpr GameUnit kCharacterNameBox{ids::kCharacterNameBox, kTypeEditBox};
inline constexpr GameUnit kCreateButton{ids::kCreateButton, kTypeButton};
// Game box.
inline constexpr GameUnit kGameGroup{ids::kGameGroup, kTypeGroupBox};
inline constexpr GameUnit kCharacterButton{ids::kCharacterButton, kTypeButton};
inline constexpr GameUnit kRankingButton{ids::kRankingButton, kTypeButton};
inline constexpr GameUnit kSignOutButton{ids::kSignOutButton, kTypeButton};
inline constexpr GameUnit kSecondTimer{ids::kSecondTimer, kTypeTimer};
inline constexpr GameUnit kAnimationTimer{ids::kAnimationTimer, kTypeTimer};
inline constexpr GameUnit kNameLabel{ids::kNameLabel, kTypeLabel};
inline constexpr GameUnit kCultivationTimeLabel{ids::kCultivationTimeLabel, kTypeLabel};
inline constexpr GameUnit kTotalLabel{ids::kTotalLabel, kTypeLabel};
inline constexpr GameUnit kRateLabel{ids::kRateLabel, kTypeLabel};
inline constexpr GameUnit kPendingLabel{ids::kPendingLabel, kTypeLabel};
inline constexpr GameUnit kTotalRiseLabel{ids::kTotalRiseLabel, kTypeLabel};
inline constexpr GameUnit kPendingRiseLabel{ids::kPendingRiseLabel, kTypeLabel};
inline constexpr GameUnit kNoticeBox{ids::kNoticeBox, kTypeEditBox};
inline constexpr GameUnit kSkillViewport{ids::kSkillViewport, kTypeDrawPanel};
inline constexpr GameUnit kSkillCanvas{ids::kSkillCanvas, kTypeDrawPanel};
inline constexpr GameUnit kRowPriceBox{ids::kRowPriceBox, kTypeEditBox};
inline constexpr GameUnit kRowOutputBox{ids::kRowOutputBox, kTypeEditBox};
inline constexpr GameUnit kRowTimeBox{ids::kRowTimeBox, kTypeEditBox};
inline constexpr GameUnit kRowLevelUpButton{ids::kRowLevelUpButton, kTypeSuperBtn};
inline constexpr GameUnit kSkillScrollBar{ids::kSkillScrollBar, kTypeVScrollBar};
inline constexpr GameUnit kRankingList{ids::kRankingList, kTypeListView};

}  // namespace vorenn::game::units

namespace vorenn::game::prop {

// Common to every unit.
inline constexpr int32_t kLeft = 0;
inline constexpr int32_t kTop = 1;
inline constexpr int32_t kWidth = 2;
inline constexpr int32_t kHeight = 3;
inline constexpr int32_t kTag = 4;
inline constexpr int32_t kVisible = 5;
// Own properties of the types the game uses.
inline constexpr int32_t kWindowTitle = 8;
inline constexpr int32_t kWindowShowState = 18;  // reads 2 while the window is minimised
inline constexpr int32_t kCaption = 8;           // Label
inline constexpr int32_t kContent = 8;           // EditBox
inline constexpr int32_t kTimerPeriod = 8;       // Timer, milliseconds
inline constexpr int32_t kScrollMaximum = 9;     // VScrollBar
inline constexpr int32_t kScrollPosition = 12;   // VScrollBar
inline constexpr int32_t kButtonCaption = 22;    // SuperBtn

inline constexpr int32_t kShowStateMinimised = 2;

}  // namespace vorenn::game::prop
